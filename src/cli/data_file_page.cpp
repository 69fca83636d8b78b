#include "cli/data_file_page.h"

#include <filesystem>

namespace velorin::cli {

bool LoadOnPage(Run& run, window::Page7& page, const std::string& file) {
    std::filesystem::path path = std::filesystem::absolute(file).lexically_normal();
    page.Dir5.Choose(path.parent_path().string());
    // A data file named otherwise than "*.dm" is still the user's choice here.
    if (page.File4.IndexOf(path.filename().string()) < 0) page.File4.SetPattern("*");
    int index = page.File4.IndexOf(path.filename().string());
    if (index < 0) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "数据断面",
                          "找不到文件“" + path.string() + "”。");
        return false;
    }
    int before = run.ui.refusals();
    page.File4.DblClick(index);
    return run.ui.refusals() == before;
}

}  // namespace velorin::cli
