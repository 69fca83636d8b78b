// The sheet choice of pages 5, 6 and 7: "图纸：" with the single column or a paper, kept in
// the user's sheet settings file; "输出PDF", which draws the cross-sections on sheets and
// prints them through the printer the front end hands over, and "纵断面PDF", the same for
// the profile on the pages that have one.
#pragma once

#include <string>

#include "app/context.h"
#include "app/sheet_settings.h"
#include "plots/sheets.h"
#include "window/controls.h"

namespace velorin::window {

class SheetChoice {
  public:
    Label label;         // "图纸："
    ComboBox combo;      // "单列", "A3 横向", ...
    Button pdf;          // "输出PDF"
    Button profile_pdf;  // "纵断面PDF"

    // Where the choice is kept; tests point it elsewhere.
    std::string settings_path = app::SheetSettingsPath();
    app::SheetSettings settings;
    // Set by the front end; without one "输出PDF" says it cannot print.
    plots::SheetPrinter* printer = nullptr;
    // The last sheet plot drawn, for a front end that prints it itself.
    plots::SheetPlot last;

    SheetChoice();
    // Reads the kept choice and shows it.
    void Setup();
    // The user chose an entry: taken and kept.
    void Chosen(app::Ui& ui);

    // The page's cross-section plot: on sheets when a paper is chosen, else the column.
    void Draw(app::Context& context, double axis_a, double axis_b, const std::string& title);
    // Draws on the chosen paper (A3 landscape when the column is chosen) and writes the
    // PDF to `path`; tells the user where it went.
    void PrintPdf(app::Context& context, double axis_a, double axis_b, const std::string& title,
                  const std::string& path);

    // The page's profile from `start_chainage`: cut onto sheets when a paper is chosen,
    // else whole; `title` goes into the sheets' title blocks.
    void DrawProfile(app::Context& context, double start_chainage, const std::string& title);
    // The profile on the chosen paper (A3 landscape when the column is chosen) to `path`.
    void PrintProfilePdf(app::Context& context, double start_chainage, const std::string& title,
                         const std::string& path);

  private:
    void Print(app::Context& context, std::string_view title, const std::string& path);
};

// The entry of the combo for the settings, and the settings an entry stands for.
std::string SheetEntry(const app::SheetSettings& settings);
void ApplySheetEntry(const std::string& entry, app::SheetSettings& settings);

}  // namespace velorin::window
