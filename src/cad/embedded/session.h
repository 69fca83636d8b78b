// What a window shows of one open drawing, kept beside the drawing in the host model so
// that it behaves the same with or without a window: its name, the state last saved or
// read and the file's time then, and the commands that changed it as undo and redo steps.
//
// A step keeps the whole drawing as the host would save it, before the command (undo) or
// after it (redo). Restoring reads that text back, so handles, layers, geometry and the
// records the host keeps unparsed come back exactly, whatever the command touched, with
// no command having to describe its own undoing. Writing a drawing out costs milliseconds
// per megabyte; the steps kept are bounded in number and in bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/status.h"

namespace velorin::cad::embedded {

class HostDocument;

// The name of a step holding changes made outside any command's step.
inline constexpr const char* kUnrecorded = "未记录的修改";

class DocumentSession {
  public:
    // Steps kept per drawing; the oldest go first.
    static constexpr size_t kMaxSteps = 100;
    static constexpr size_t kMaxBytes = size_t{512} << 20;

    explicit DocumentSession(HostDocument& document) : document_(document) {}

    // The file name, or "DrawingN" for a drawing without one (N counts per host).
    std::string Name() const;

    // The drawing was just read from its file or saved to it: that text is the saved
    // state and the file's time is the one known. Steps are kept from here on.
    void Saved();
    // Nothing of it is saved: the drawing counts as modified (a converted DWG) until saved.
    void NothingSaved();
    // A drawing the user made empty: steps are kept from here on, so its first command
    // can be undone. A drawing a command made begins at that command's end instead.
    void Start();
    // Differs from the saved state (writes the drawing out to compare).
    bool Modified() const;
    // The same, answered without writing the drawing out while its entity and layer
    // counts stay as they were at the last comparison or step.
    bool LooksModified() const;
    // The file on disk changed since it was read or saved here.
    bool ChangedOnDisk() const;
    // The file's present time becomes the known one (asked once per change).
    void SeenOnDisk();

    // Ends a command: when the drawing differs from the state the last step left, that
    // state becomes an undo step named `label`, and the redo steps are dropped. True when a
    // step was kept.
    bool Record(const std::string& label);
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // The name of the step Undo or Redo would take back or do again.
    std::string UndoLabel() const { return undo_.empty() ? "" : undo_.back().label; }
    std::string RedoLabel() const { return redo_.empty() ? "" : redo_.back().label; }
    // Puts the drawing back as it was before the last step (after it, for Redo). What
    // changed since the last step (a command cut short) is itself kept as a step first,
    // so nothing is lost without a way back. The document's selection sets are emptied.
    Status Undo();
    Status Redo();
    // Forgets the steps (the drawing was read again from its file).
    void Clear();

  private:
    struct Step {
        std::string label;
        std::string text;  // the drawing as saved
    };
    struct Counts {
        size_t entities = 0, erased = 0, layers = 0;
        long layer_sum = 0, colour_sum = 0;
        bool operator==(const Counts&) const = default;
    };
    Counts CountsNow() const;
    std::string Text() const;
    bool Differs(const std::string& text) const;  // from the saved state
    void Remember(bool modified) const;
    Status Restore(std::vector<Step>& from, std::vector<Step>& to);
    void Trim();

    HostDocument& document_;
    mutable std::string name_;
    size_t saved_hash_ = 0;
    bool saved_known_ = false;            // false: the empty drawing counts as saved
    int64_t stamp_ = -1;                  // the file's time when read or saved; -1: no file
    std::optional<std::string> current_;  // the state the last step left
    std::vector<Step> undo_, redo_;
    mutable Counts checked_counts_;
    mutable bool checked_ = false, checked_modified_ = false;
};

// Milliseconds since the epoch of the file's last change; -1 when there is no such file.
int64_t FileTime(const std::string& path);

}  // namespace velorin::cad::embedded
