// Progress of a long command (plots of many sections, batches, many points): commands
// report to it, the drawing window shows it, the batch front end stays quiet.
#pragma once

#include <string_view>

namespace velorin::app {

class Progress {
  public:
    virtual ~Progress() = default;
    // A new piece of work of `total` steps (0 when unknown), described for the user.
    virtual void Start(std::string_view what, long total) { (void)what, (void)total; }
    // `done` steps of the current work are finished.
    virtual void Step(long done) { (void)done; }
    virtual void Finish() {}
};

// Reports to an optional progress service: commands hold one of these so that a missing
// service costs nothing.
class ProgressReport {
  public:
    ProgressReport(Progress* progress, std::string_view what, long total) : progress_(progress) {
        if (progress_) progress_->Start(what, total);
    }
    ~ProgressReport() {
        if (progress_) progress_->Finish();
    }
    ProgressReport(const ProgressReport&) = delete;
    ProgressReport& operator=(const ProgressReport&) = delete;
    void Step(long done) {
        if (progress_) progress_->Step(done);
    }

  private:
    Progress* progress_;
};

}  // namespace velorin::app
