#include "window/open_files.h"

#include <filesystem>

namespace velorin::window {

namespace {

// Shows the file's folder in the page's lists as the user would find it there; returns
// its index in the file list, or -1.
int ShowFile(DirList& dir, FileList& files, const std::filesystem::path& path) {
    dir.Choose(path.parent_path().string());
    return files.IndexOf(path.filename().string());
}

std::string LowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

}  // namespace

FileKind KindOf(const std::string& path) {
    std::string ext = LowerExtension(path);
    if (ext == ".dat" || ext == ".idx") return FileKind::RawSurvey;
    if (ext == ".ctl") return FileKind::Control;
    if (ext == ".sur") return FileKind::Survey;
    if (ext == ".cor") return FileKind::Coordinates;
    if (ext == ".dm") return FileKind::SectionData;
    if (ext == ".dxf") return FileKind::Drawing;
    return FileKind::Unknown;
}

int PageFor(FileKind kind) {
    switch (kind) {
        case FileKind::RawSurvey:
            return 2;
        case FileKind::Control:
        case FileKind::Survey:
            return 3;
        case FileKind::Coordinates:
            return 4;
        case FileKind::SectionData:
            return 7;
        default:
            return 0;
    }
}

bool OpenOnPage(Form1& form, app::Ui& ui, const std::string& path) {
    FileKind kind = KindOf(path);
    int tab = PageFor(kind);
    if (tab == 0) {
        ui.MessageBox(app::MessageIcon::Exclamation, "Velorin",
                      "无法打开文件“" + path +
                          "”：Velorin 只打开 .dat、.idx、.sur、.ctl、.cor、.dm 和 .dxf 文件。");
        return false;
    }
    std::error_code ec;
    std::filesystem::path file = std::filesystem::absolute(path, ec).lexically_normal();
    if (ec || !std::filesystem::is_regular_file(file, ec)) {
        ui.MessageBox(app::MessageIcon::Exclamation, "Velorin", "找不到文件“" + path + "”。");
        return false;
    }
    if (form.Strip1.selected != tab) form.Strip1_Click(tab);

    int index = -1;
    switch (tab) {
        case 2:
            // The instrument model list: GTS-311 first, then Leica IDEX.
            form.page2.Combo1.Choose(LowerExtension(path) == ".idx" ? 1 : 0);
            index = ShowFile(form.page2.Dir2, form.page2.File1, file);
            if (index >= 0) form.page2.File1.DblClick(index);
            break;
        case 3:
            // The file type list: control point files first, then survey files.
            form.page3.Combo2.Choose(kind == FileKind::Control ? 0 : 1);
            index = ShowFile(form.page3.Dir3, form.page3.File2, file);
            if (index >= 0) form.page3.File2.DblClick(index);
            break;
        case 4:
            form.page4.Combo3.Choose(0);  // coordinate files
            index = ShowFile(form.page4.Dir4, form.page4.File3, file);
            if (index >= 0) {
                form.page4.File3.Click(index);
                form.page4.Command8.Click();
            }
            break;
        case 7:
            index = ShowFile(form.page7.Dir5, form.page7.File4, file);
            if (index >= 0) form.page7.File4.DblClick(index);
            break;
    }
    if (index < 0) {
        ui.MessageBox(app::MessageIcon::Exclamation, "Velorin",
                      "找不到文件“" + file.string() + "”。");
        return false;
    }
    return true;
}

}  // namespace velorin::window
