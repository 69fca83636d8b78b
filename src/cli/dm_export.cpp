// velorin-batch dm-export DM: page 7's double-click on the section data file, the two
// tick boxes, then "保存数据". Without --standard or --left-right the boxes stay as the
// load set them.
#include <cstdio>
#include <filesystem>

#include "app/clock.h"
#include "app/context.h"
#include "base/paths.h"
#include "cli/cli.h"
#include "cli/data_file_page.h"
#include "sectionfile/section_export.h"
#include "sectionfile/section_file.h"
#include "window/page7.h"

namespace velorin::cli {

namespace {

// Ticks or clears a box as the user would; a box the load left disabled cannot be
// ticked, and the user is told why.
bool SetBox(Run& run, window::CheckBox& box, bool wanted, const char* why) {
    if (box.ticked() == wanted) return true;
    if (!box.enabled) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "数据断面",
                          std::string("“") + box.caption + "”不可选：" + why);
        return false;
    }
    box.Click();
    return true;
}

int DmExport(Run& run) {
    const auto& args = run.options.Arguments();
    if (args.size() != 1) return UsageError("dm-export", "需要一个断面数据文件");
    app::SystemClock clock;
    app::Context context{run.program, run.ui, clock};
    window::Page7 page(context);
    page.Setup();
    bool loaded = LoadOnPage(run, page, args[0]);
    for (const auto& line : (loaded ? page.List5.items : page.List4.items))
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    if (!loaded) return 1;
    if (page.List5.items.empty()) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "数据断面",
                          "文件“" + args[0] + "”中没有断面点，没有可保存的数据。");
        return 1;
    }
    bool standard = run.options.Has("standard"), left_right = run.options.Has("left-right");
    if (standard || left_right) {
        if (!SetBox(run, page.Check11, standard, "文件没有用“@”写的增量，已是标准格式。") ||
            !SetBox(run, page.Check12, left_right, "文件中没有中心左侧的点。"))
            return 1;
    }
    if (!page.Check11.ticked() && !page.Check12.ticked()) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "数据断面", "没有选择要保存的格式。");
        return 1;
    }
    int before = run.ui.refusals();
    page.Command25.Click();
    if (run.ui.refusals() > before) return 1;
    if (page.Check11.ticked())
        std::fprintf(stderr, "已保存: %s\n",
                     sectionfile::NormalisedFileName(page.Text22.text).c_str());
    if (page.Check12.ticked())
        std::fprintf(stderr, "已保存: %s\n",
                     sectionfile::LeftRightFileName(page.Text22.text).c_str());
    return 0;
}

const bool registered =
    Register({"dm-export", "DM [--standard] [--left-right]", {"standard", "left-right"}, DmExport});

}  // namespace

}  // namespace velorin::cli
