#include "cad/embedded/session.h"

#include <sys/stat.h>

#include <functional>

#include "base/paths.h"
#include "cad/embedded/host.h"

namespace velorin::cad::embedded {

namespace {

size_t HashOf(const std::string& text) { return std::hash<std::string>{}(text); }

// What a drawing never saved holds before anything is drawn in it.
size_t EmptyHash() {
    static const size_t hash = HashOf(Drawing::New()->Serialize());
    return hash;
}

}  // namespace

int64_t FileTime(const std::string& path) {
    struct stat info;
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return -1;
    return int64_t{info.st_mtim.tv_sec} * 1000 + info.st_mtim.tv_nsec / 1000000;
}

std::string DocumentSession::Name() const {
    const std::string& path = document_.drawing().path();
    if (!path.empty()) return FileName(path);
    if (name_.empty()) name_ = "Drawing" + std::to_string(document_.host().NextDrawingNumber());
    return name_;
}

bool DocumentSession::Differs(const std::string& text) const {
    return HashOf(text) != (saved_known_ ? saved_hash_ : EmptyHash());
}

std::string DocumentSession::Text() const { return document_.drawing().Serialize(); }

DocumentSession::Counts DocumentSession::CountsNow() const {
    const Drawing& d = document_.drawing();
    Counts c;
    c.entities = d.entities().size();
    for (const auto& e : d.entities()) c.erased += e->erased, c.layer_sum += e->layer;
    c.layers = d.layers().size();
    for (const auto& l : d.layers()) c.colour_sum += l->color;
    return c;
}

void DocumentSession::Remember(bool modified) const {
    checked_counts_ = CountsNow();
    checked_ = true;
    checked_modified_ = modified;
}

void DocumentSession::Saved() {
    std::string text = Text();
    saved_hash_ = HashOf(text);
    saved_known_ = true;
    stamp_ = FileTime(document_.drawing().path());
    Remember(false);
    current_ = std::move(text);
}

void DocumentSession::NothingSaved() {
    saved_hash_ = 0;
    saved_known_ = true;
    stamp_ = FileTime(document_.drawing().path());
    checked_ = false;
    if (!current_) current_ = Text();
}

void DocumentSession::Start() {
    if (!current_) current_ = Text();
}

bool DocumentSession::Modified() const {
    bool modified = Differs(Text());
    Remember(modified);
    return modified;
}

bool DocumentSession::LooksModified() const {
    if (checked_ && checked_counts_ == CountsNow()) return checked_modified_;
    return Modified();
}

bool DocumentSession::ChangedOnDisk() const {
    if (stamp_ < 0) return false;
    return FileTime(document_.drawing().path()) != stamp_;
}

void DocumentSession::SeenOnDisk() { stamp_ = FileTime(document_.drawing().path()); }

bool DocumentSession::Record(const std::string& label) {
    std::string text = Text();
    Remember(Differs(text));
    if (!current_) {  // a drawing a command made: it begins as that command left it
        current_ = std::move(text);
        return false;
    }
    if (text == *current_) return false;
    undo_.push_back({label, std::exchange(*current_, std::move(text))});
    redo_.clear();
    Trim();
    return true;
}

void DocumentSession::Trim() {
    size_t bytes = 0;
    for (const Step& s : undo_) bytes += s.text.size();
    for (const Step& s : redo_) bytes += s.text.size();
    size_t drop = 0;
    while (drop < undo_.size() && (undo_.size() - drop > kMaxSteps || bytes > kMaxBytes))
        bytes -= undo_[drop++].text.size();
    undo_.erase(undo_.begin(), undo_.begin() + static_cast<std::ptrdiff_t>(drop));
}

Status DocumentSession::Restore(std::vector<Step>& from, std::vector<Step>& to) {
    if (from.empty()) return Status::Error("没有可以撤销或重做的操作");
    Record(kUnrecorded);  // changes made since the last step stay reachable
    if (from.empty()) return Status::Error("没有可以撤销或重做的操作");
    Status status;
    const std::string path = document_.drawing().path();
    auto drawing = Drawing::Parse(from.back().text, path.empty() ? Name() : path, &status);
    if (!drawing) return status;
    drawing->set_path(path);
    document_.ReplaceDrawing(std::move(drawing));
    Step step = std::move(from.back());
    from.pop_back();
    to.push_back({step.label, std::exchange(*current_, std::move(step.text))});
    Remember(Differs(*current_));
    return Status::Ok();
}

Status DocumentSession::Undo() { return Restore(undo_, redo_); }

Status DocumentSession::Redo() {
    // Changes since the last step would make the redo steps meaningless.
    if (!redo_.empty() && current_ && Text() != *current_) redo_.clear();
    return Restore(redo_, undo_);
}

void DocumentSession::Clear() {
    undo_.clear();
    redo_.clear();
    current_ = Text();
}

}  // namespace velorin::cad::embedded
