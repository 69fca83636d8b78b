// Opening DWG drawings: the DWG converter (support/dwg, a Node.js program over LibreDWG)
// runs as a separate process with a time and memory limit and hands back DXF text that
// the embedded host reads. The GPL-3 library stays in that process, out of our programs.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/status.h"

namespace velorin::cad {

// True for a path ending in ".dwg" (any case).
bool IsDwgPath(const std::string& path);
// The DXF a converted DWG is saved as: NAME.dxf beside NAME.dwg.
std::string DxfBesideDwg(const std::string& dwg_path);

struct DwgConverter {
    // Holds dwg2dxf.mjs and its node_modules.
    std::string folder;
    // The Node.js program, looked up on PATH unless it holds a '/'.
    std::string node = "node";
    int timeout_seconds = 120;
    long memory_limit_mb = 1536;
    // Called a few times a second while the converter runs (a progress display).
    std::function<void()> tick;

    // The converter the build put beside the executables (their folder's "dwg"), or the
    // folder $VELORIN_DWG_CONVERTER names; $VELORIN_NODE names another Node.js program.
    static DwgConverter Default();
};

struct DwgConversion {
    std::string dxf;                    // the drawing as DXF text
    std::vector<std::string> warnings;  // entities the converter could not write
};

// Converts the DWG at `path`. On failure: nothing, and `status` names the file and the
// cause (what to install when the converter or Node.js is missing).
std::optional<DwgConversion> ConvertDwg(const std::string& path, const DwgConverter& converter,
                                        Status* status);

}  // namespace velorin::cad
