#include "cli/data_file_page.h"

#include <cstdio>
#include <filesystem>

#include "base/strings.h"

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
    // The window shows the marked lines in its list; a script reads only its error stream.
    for (const std::string& line : page.List4.items)
        if (StartsWith(line, "; 错误")) std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    return run.ui.refusals() == before;
}

}  // namespace velorin::cli
