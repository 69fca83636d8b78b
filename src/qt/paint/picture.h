// Pictures of drawings: PNG and PDF files painted through the Qt backend. The header is
// free of Qt so that the command-line front end can call it.
#pragma once

#include <string>

#include "base/status.h"
#include "cad/embedded/drawing.h"

namespace velorin::qt {

// Paints the drawing's model space, fitted to the page, to `path`: a PNG of
// `width` x `height` pixels, or a PDF (by the file's extension) on an A3 page turned to
// the drawing's shape. The file is replaced in one step.
Status RenderPicture(const cad::embedded::Drawing& drawing, const std::string& path,
                     int width = 2000, int height = 2000);

}  // namespace velorin::qt
