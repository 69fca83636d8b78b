// "The current date and time" as the program writes it into files and reports, behind
// an interface so that tests fix the moment.
#pragma once

#include <string>

namespace velorin::app {

class Clock {
  public:
    virtual ~Clock() = default;
    // The local date and time as text, "2024-5-6 14:03:22" (no leading zeros in the date).
    virtual std::string Now() const = 0;
};

class SystemClock : public Clock {
  public:
    std::string Now() const override;
};

// A clock that always tells the same moment.
class FixedClock : public Clock {
  public:
    explicit FixedClock(std::string now) : now_(std::move(now)) {}
    std::string Now() const override { return now_; }

  private:
    std::string now_;
};

}  // namespace velorin::app
