// Outcome of an operation at a file or store boundary: ok, or a message a user can read.
// Returned, never thrown, so a page can show the message and carry on.
#pragma once

#include <string>
#include <utility>

namespace velorin {

class [[nodiscard]] Status {
  public:
    Status() = default;
    static Status Ok() { return Status(); }
    static Status Error(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& message() const { return message_; }

  private:
    explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}
    bool failed_ = false;
    std::string message_;
};

}  // namespace velorin
