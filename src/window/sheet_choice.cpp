#include "window/sheet_choice.h"

#include "cad/preparation.h"
#include "plots/section_plots.h"

namespace velorin::window {

namespace {
constexpr const char* kColumn = "单列";
constexpr const char* kTitle = "横断面图";
constexpr const char* kProfileTitle = "纵断面图";
}  // namespace

std::string SheetEntry(const app::SheetSettings& s) {
    if (!s.on) return kColumn;
    return s.paper + (s.landscape ? " 横向" : " 竖向");
}

void ApplySheetEntry(const std::string& entry, app::SheetSettings& s) {
    if (entry == kColumn || entry.size() < 3) {
        s.on = false;
        return;
    }
    s.on = true;
    s.paper = entry.substr(0, 2);
    s.landscape = entry.find("横向") != std::string::npos;
}

SheetChoice::SheetChoice() {
    label.caption = "图纸：";
    pdf.caption = "输出PDF";
    profile_pdf.caption = "纵断面PDF";
    std::vector<std::string> entries{kColumn};
    for (const char* paper : {"A4", "A3", "A2", "A1"})
        for (const char* turn : {" 横向", " 竖向"}) entries.push_back(std::string(paper) + turn);
    combo.SetList(entries);
}

void SheetChoice::Setup() {
    settings = app::ReadSheetSettings(settings_path);
    combo.ShowItem(SheetEntry(settings));
}

void SheetChoice::Chosen(app::Ui& ui) {
    ApplySheetEntry(combo.text, settings);
    Status kept = app::WriteSheetSettings(settings_path, settings);
    if (!kept.ok()) ui.MessageBox(app::MessageIcon::Exclamation, kTitle, kept.message());
}

void SheetChoice::Draw(app::Context& context, double axis_a, double axis_b,
                       const std::string& title) {
    last = {};
    if (!settings.on) {
        plots::DrawCrossSections(context, axis_a, axis_b, title);
        return;
    }
    last = plots::DrawCrossSectionSheets(context, axis_a, axis_b, title, settings);
}

void SheetChoice::PrintPdf(app::Context& context, double axis_a, double axis_b,
                           const std::string& title, const std::string& path) {
    cad::WindowAside(context.ui, true);
    app::SheetSettings on_sheets = settings;
    on_sheets.on = true;
    last = plots::DrawCrossSectionSheets(context, axis_a, axis_b, title, on_sheets);
    Print(context, kTitle, path);
    cad::WindowAside(context.ui, false);
}

void SheetChoice::DrawProfile(app::Context& context, double start_chainage,
                              const std::string& title) {
    last = {};
    if (!settings.on) {
        plots::DrawProfile(context, start_chainage);
        return;
    }
    last = plots::DrawProfileSheets(context, start_chainage, title, settings);
}

void SheetChoice::PrintProfilePdf(app::Context& context, double start_chainage,
                                  const std::string& title, const std::string& path) {
    cad::WindowAside(context.ui, true);
    app::SheetSettings on_sheets = settings;
    on_sheets.on = true;
    last = plots::DrawProfileSheets(context, start_chainage, title, on_sheets);
    Print(context, kProfileTitle, path);
    cad::WindowAside(context.ui, false);
}

// The last plot to `path`, when one was drawn (otherwise the user has been told why).
void SheetChoice::Print(app::Context& context, std::string_view title, const std::string& path) {
    if (!last.doc) return;
    Status printed =
        printer ? printer->Print(last, path) : Status::Error("这里不能输出PDF：没有打印程序");
    if (printed.ok())
        context.ui.MessageBox(
            app::MessageIcon::Information, title,
            "已输出 " + std::to_string(last.sheets.size()) + " 张图纸到“" + path + "”。");
    else
        context.ui.MessageBox(app::MessageIcon::Exclamation, title, printed.message());
}

}  // namespace velorin::window
