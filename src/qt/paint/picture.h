// Pictures of drawings: PNG and PDF files painted through the Qt backend. The header is
// free of Qt so that the command-line front end can call it.
#pragma once

#include <string>
#include <vector>

#include "base/status.h"
#include "cad/embedded/drawing.h"
#include "plots/sheets.h"

namespace velorin::qt {

// Paints the drawing's model space, fitted to the page, to `path`: a PNG of
// `width` x `height` pixels, or a PDF (by the file's extension) on an A3 page turned to
// the drawing's shape. The file is replaced in one step.
Status RenderPicture(const cad::embedded::Drawing& drawing, const std::string& path,
                     int width = 2000, int height = 2000);

// One PDF page per sheet: each box (drawing units) fills a page of `width_mm` x
// `height_mm` exactly, so the page prints at the drawing's own scale. Lines stay vectors
// and texts stay texts. The file is replaced in one step.
Status RenderSheetsPdf(const cad::embedded::Drawing& drawing,
                       const std::vector<cad::embedded::Box>& sheets, double width_mm,
                       double height_mm, const std::string& path);

// The sheets of a sheet plot drawn by the embedded host, to a PDF file.
Status WriteSheetPlotPdf(const plots::SheetPlot& plot, const std::string& path);

// Prints sheet plots for the pages' "输出PDF".
class PdfSheetPrinter : public plots::SheetPrinter {
  public:
    Status Print(const plots::SheetPlot& plot, const std::string& path) override {
        return WriteSheetPlotPdf(plot, path);
    }
};

}  // namespace velorin::qt
