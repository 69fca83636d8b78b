// The commands of page 7: loading a section data file, its plots and its export.
#include <algorithm>

#include "base/numbers.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "cad/preparation.h"
#include "plots/section_plots.h"
#include "sectionfile/exchange.h"
#include "sectionfile/section_export.h"
#include "sectionfile/section_file.h"
#include "store/statements.h"
#include "window/page7.h"

namespace velorin::window {

namespace st = store::statements;
using Table = store::WorkingStore::Table;

namespace {
constexpr const char* kTitle = "数据断面";
}

void Page7::File4_DblClick() {
    File4_Click();
    List4.Clear();
    List5.Clear();
    std::string path = Text22.text;
    if (path.empty()) return;
    // A file that cannot be read (removed after it was listed) leaves the store as it
    // was; the page shows no listing, so nothing can be plotted or saved under the name
    // of a file that was not loaded.
    TextLines file = ReadTextLines(path);
    if (!file.status.ok()) {
        cad::WindowAside(context_.ui, true);
        context_.ui.MessageBox(app::MessageIcon::Exclamation, kTitle, file.status.message());
        cad::WindowAside(context_.ui, false);
        Command23.enabled = Command24.enabled = Command25.enabled = false;
        return;
    }

    store::WorkingStore& store = *context_.program.store;
    if (sectionfile::IsExchangeFile(path)) {
        if (!LoadExchangeFile(path)) return;
    } else {
        List4.items = std::move(file.lines);
        if (!LoadSectionFile()) return;
    }

    store::RecordSet& cross = store.Reopen(Table::Cross, st::kCrossBySIndex);
    store::RecordSet& point = store.Reopen(Table::Point, st::kPointByCrossNoSlen);
    if (cross.EndOfFile() || point.EndOfFile()) return;
    List5.items = sectionfile::SectionFileLines({}, sectionfile::SectionsOfStore(store));
    Command23.enabled = Command24.enabled = true;

    Check11.value = 0;
    Check11.enabled = false;
    if (sectionfile::IsExchangeFile(path)) {
        // Its standard form is a new section data file, for the user to choose.
        Check11.enabled = true;
    } else if (std::any_of(List4.items.begin(), List4.items.end(), [](const std::string& line) {
                   return line.find('@') != std::string::npos;
               })) {
        Check11.enabled = true;
        Check11.value = 1;
    }
    Check12.value = 0;
    Check12.enabled = sectionfile::HasLeftSide(store);
    for (CheckBox* box : {&Check13, &Check14, &Check15, &Check16}) box->enabled = true;

    Command25.enabled = true;
    store.Reopen(Table::Cross, st::kCrossBySIndex);
    store.Reopen(Table::Point, st::kPointByCrossNoSlen);
}

void Page7::Refuse(const std::string& message) {
    cad::WindowAside(context_.ui, true);
    context_.ui.MessageBox(app::MessageIcon::Exclamation, kTitle, message);
    cad::WindowAside(context_.ui, false);
}

bool Page7::LoadSectionFile() {
    if (!sectionfile::ReadSectionFile(List4.items, *context_.program.store)) {
        cad::WindowAside(context_.ui, true);
        context_.ui.MessageBox(app::MessageIcon::Exclamation, kTitle,
                               "断面文件格式有误，请检查后再试！");
        cad::WindowAside(context_.ui, false);
        Command23.enabled = Command24.enabled = Command25.enabled = false;
        return false;
    }
    return true;
}

bool Page7::LoadExchangeFile(const std::string& path) {
    // The whole file is checked before the store changes, so a refused file loads nothing.
    sectionfile::ExchangeRead file = sectionfile::ReadExchangeFile(path);
    List4.items = std::move(file.lines);
    if (!file.read.status.ok()) {
        Refuse(file.read.status.message());
        Command23.enabled = Command24.enabled = Command25.enabled = false;
        return false;
    }
    std::vector<sectionfile::Section> sections;
    for (auto& placed : file.read.sections) sections.push_back(std::move(placed.section));
    sectionfile::StoreSections(sections, *context_.program.store);
    return true;
}

bool Page7::AxisValues(double& a, double& b) {
    a = 0, b = 0;
    if (!Check10.ticked()) return true;
    auto low = ParseNumber(Text23.text), high = ParseNumber(Text24.text);
    if (!low || !high) {
        cad::WindowAside(context_.ui, true);
        context_.ui.MessageBox(app::MessageIcon::Exclamation, kTitle,
                               "统一高程轴设置有误，请更正。");
        cad::WindowAside(context_.ui, false);
        return false;
    }
    a = *low, b = *high;
    return true;
}

void Page7::Command23_Click() {
    if (List5.items.empty()) return;
    double a = 0, b = 0;
    if (!AxisValues(a, b)) return;
    cad::WindowAside(context_.ui, true);
    Sheets.Draw(context_, a, b, settings().PlotTitle);
    cad::WindowAside(context_.ui, false);
}

// The loaded sections on sheets, to a PDF beside the section data file.
void Page7::SheetsPdf_Click() {
    if (List5.items.empty()) return;
    double a = 0, b = 0;
    if (!AxisValues(a, b)) return;
    Sheets.PrintPdf(context_, a, b, settings().PlotTitle, PdfPath("", "横断面图.pdf"));
}

std::string Page7::PdfPath(const std::string& suffix, const std::string& name) {
    std::string path = Text22.text;
    auto dot = path.rfind('.');
    if (path.empty() || dot == std::string::npos)
        return WithTrailingSeparator(settings().MainDir) + name;
    return path.substr(0, dot) + suffix + ".pdf";
}

void Page7::Command24_Click() {
    if (List5.items.empty()) return;
    cad::WindowAside(context_.ui, true);
    Sheets.DrawProfile(context_, 0, settings().PlotTitle);
    cad::WindowAside(context_.ui, false);
}

// The loaded profile on sheets, to "NAME（纵断面）.pdf" beside the section data file.
void Page7::ProfilePdf_Click() {
    if (List5.items.empty()) return;
    Sheets.PrintProfilePdf(context_, 0, settings().PlotTitle,
                           PdfPath("（纵断面）", "纵断面图.pdf"));
}

void Page7::Command25_Click() {
    saved_files.clear();
    if (List5.items.empty()) return;
    std::vector<sectionfile::ExchangeFormat> formats;
    const CheckBox* boxes[] = {&Check13, &Check14, &Check15, &Check16};
    for (size_t i = 0; i < std::size(boxes); ++i)
        if (boxes[i]->ticked()) formats.push_back(sectionfile::kExchangeFormats[i]);
    if (!Check11.ticked() && !Check12.ticked() && formats.empty()) return;

    // Chainages first: a refusal then leaves every file as it was.
    store::WorkingStore& store = *context_.program.store;
    std::vector<sectionfile::PlacedSection> placed;
    if (!formats.empty()) {
        auto fields = sectionfile::ReadChainageFields(Text26.text, Text27.text);
        if (!fields.status.ok()) return Refuse(fields.status.message());
        auto placement = sectionfile::PlaceSections(sectionfile::SectionsOfStore(store),
                                                    fields.start, fields.spacing);
        if (!placement.status.ok()) return Refuse(placement.status.message());
        placed = std::move(placement.sections);
        if (Status names = sectionfile::CheckExchangeNames(Text22.text, formats); !names.ok())
            return Refuse(names.message());
        for (auto format : formats)
            if (Status fit = sectionfile::CheckExchangeFit(format, placed); !fit.ok())
                return Refuse(fit.message());
    }

    auto write = [&](const std::string& path, const std::vector<std::string>& lines) {
        Status s = WriteTextLines(path, lines);
        if (s.ok()) saved_files.push_back(path);
        if (s.ok()) return true;
        Refuse(s.message());
        return false;
    };
    if (Check11.ticked()) {
        if (!write(sectionfile::NormalisedFileName(Text22.text), List5.items)) return;
        File4.Refresh();
    }
    if (sectionfile::HasLeftSide(store) && Check12.ticked() &&
        !write(sectionfile::LeftRightFileName(Text22.text), sectionfile::LeftRightLines(store)))
        return;
    if (formats.empty()) return;

    for (auto format : formats) {
        Status s =
            sectionfile::WriteExchangeFiles(Text22.text, format, placed, context_.clock.Now());
        if (!s.ok()) return Refuse(s.message());
        for (const auto& name : sectionfile::ExchangeFileNames(Text22.text, format))
            saved_files.push_back(name);
    }
    File4.Refresh();
    std::string message = "已保存：";
    for (const auto& name : saved_files) message += "\n" + name;
    cad::WindowAside(context_.ui, true);
    context_.ui.MessageBox(app::MessageIcon::Information, kTitle, message);
    cad::WindowAside(context_.ui, false);
}

}  // namespace velorin::window
