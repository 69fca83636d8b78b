// What the section commands of velorin-batch share: the embedded host with the drawing
// of --drawing open, the picks of --pick and --pick-window handed to it, the context the
// pages run in, and saving what the command changed or made.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/context.h"
#include "cad/embedded/drawing.h"
#include "cad/embedded/host.h"
#include "cli/cli.h"

namespace velorin::cli {

class SectionSession {
  public:
    // Opens the drawing and takes the picks; nothing (a usage error was printed and
    // `status` set) when the options are wrong or the drawing cannot be read. Only a
    // command that plots into a drawing (`may_create`) starts a new one when the file is
    // missing; the others refuse it by name.
    static std::unique_ptr<SectionSession> Open(Run& run, const std::string& command, int* status,
                                                bool may_create = false);

    app::Context& context() { return context_; }
    cad::embedded::Host& host() { return host_; }
    // Saves the drawing in place when the command changed it. Returns `status`, or 1 when
    // the drawing could not be saved.
    int Finish(int status);
    // Saves the newest drawing a plot made since `before` documents were open.
    bool SaveNewDrawing(size_t before, const std::string& path);

    SectionSession(Run& run);

  private:
    Run& run_;
    cad::embedded::Host host_;
    cad::embedded::ScriptedPicker picker_;
    cad::embedded::EmbeddedConnector connector_;
    app::SystemClock clock_;
    app::Context context_;
    cad::embedded::HostDocument* drawing_ = nullptr;
    std::string before_;
    std::string dwg_;  // the DWG the drawing was converted from
};

// Says what the drawing read from `path` holds that the user must know of (blocks that
// refer to themselves), one information line each.
void TellWarnings(Run& run, const cad::embedded::Drawing& drawing, const std::string& path);

// Reads a drawing: a DXF, or a DWG through the DWG converter. A converted drawing carries
// the path NAME.dxf beside the DWG, so saving never touches the DWG; what the converter
// could not carry over is printed on standard error.
std::unique_ptr<cad::embedded::Drawing> LoadDrawing(Run& run, const std::string& path,
                                                    Status* status);

void PrintLines(const std::vector<std::string>& lines);
// A grid row as one output line, cells separated by ",".
std::string JoinCells(const std::vector<std::string>& cells);

}  // namespace velorin::cli
