// The commands of page 4: preview and point plotting.
#include "base/paths.h"
#include "cad/point_plot.h"
#include "cad/preview.h"
#include "window/page4.h"

namespace velorin::window {

namespace {

const char* const kTitle = "地形展点";

// The files chosen in the list, in list order, with their folder.
std::vector<std::string> SelectedFiles(const FileList& files) {
    std::vector<std::string> paths;
    for (size_t i = 0; i < files.items.size(); ++i)
        if (i < files.selected.size() && files.selected[i])
            paths.push_back(JoinPath(files.path, files.items[i]));
    return paths;
}

// Message boxes of the page show with the window stepped aside.
void ShowMessage(app::Ui& ui, app::MessageIcon icon, const std::string& text) {
    ui.WindowAside(true);
    ui.MessageBox(icon, kTitle, text);
    ui.WindowAside(false);
}

}  // namespace

void Page4::Command8_Click() {
    Pic1.Cls();
    store::WorkingStore& store = *context_.program.store;
    std::vector<std::string> paths = SelectedFiles(File3);
    cad::PointFileType type = cad::PointFileType::Coordinates;
    cad::PointFileTypeOf(Combo3.text, &type);
    Status loaded = cad::LoadPointFiles(store, paths, type);
    if (paths.empty()) {
        ShowMessage(context_.ui, app::MessageIcon::Exclamation,
                    "请先选择要预览的坐标文件（可多选）！");
        return;
    }
    if (!loaded.ok()) {
        ShowMessage(context_.ui, app::MessageIcon::Exclamation, loaded.message());
        return;
    }
    store::RecordSet& ctl = store.Standing(store::WorkingStore::Table::Ctl);
    if (ctl.RecordCount() == 0) return;

    cad::PreviewPicture pic = cad::MakePreview(cad::PreviewPoints(ctl), settings().PlotScale);
    PreviewLeft = pic.window.left, PreviewRight = pic.window.right;
    PreviewTop = pic.window.top, PreviewBottom = pic.window.bottom;
    Pic1.Scale(pic.scale_x1, pic.scale_y1, pic.scale_x2, pic.scale_y2);
    Pic1.fore_color = cad::PreviewPicture::kLabelColour;
    for (const auto& c : pic.points)
        Pic1.Circle(c.x, c.y, c.radius, cad::PreviewPicture::kPointColour);
    for (const auto* lines : {&pic.vertical, &pic.horizontal}) {
        for (const auto& l : *lines) {
            Pic1.Line(l.x1, l.y1, l.x2, l.y2, cad::PreviewPicture::kGridColour);
            Pic1.PrintAt(l.label_x, l.label_y, l.label);
        }
    }
}

void Page4::Command9_Click() {
    // A label of no height cannot be drawn (nor anything at no scale): the button does
    // nothing.
    const app::Settings& s = settings();
    if (s.PointTextHeight <= 0 || s.ElevTextHeight <= 0 || s.PlotScale <= 0) return;
    store::WorkingStore& store = *context_.program.store;
    std::vector<std::string> paths = SelectedFiles(File3);
    cad::PointPlotOptions options;
    cad::PointFileTypeOf(Combo3.text, &options.type);
    long rows = 0;
    Status loaded = cad::LoadPointFiles(store, paths, options.type, &rows);
    if (paths.empty()) {
        ShowMessage(context_.ui, app::MessageIcon::Exclamation,
                    "请先选中要展点的坐标文件（可多选）！");
        return;
    }
    if (!loaded.ok()) {
        ShowMessage(context_.ui, app::MessageIcon::Exclamation, loaded.message());
        return;
    }
    if (rows == 0) {
        std::string names;
        for (const std::string& path : paths) names += (names.empty() ? "“" : "、“") + path + "”";
        ShowMessage(context_.ui, app::MessageIcon::Exclamation,
                    "文件" + names + "中没有点，没有展点。");
        return;
    }

    options.terrain_points = Check1.ticked();
    options.elevation_points = Check2.ticked();
    options.control_with_elevation = Option4.value;
    options.control_class = Combo5.text;
    options.point_text_height = settings().PointTextHeight;
    options.elev_text_height = settings().ElevTextHeight;
    options.scale = settings().PlotScale;
    options.program_dir = context_.program.ProgramDir;
    if (!context_.host) {
        // No drawing host in this program: the same as a host that is not running.
        ShowMessage(context_.ui, app::MessageIcon::Exclamation, "请打开AutoCAD系统！");
        return;
    }
    cad::PlotPoints(*context_.host, context_.ui, settings(),
                    store.Standing(store::WorkingStore::Table::Ctl), options, context_.progress);
}

}  // namespace velorin::window
