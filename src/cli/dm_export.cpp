// velorin-batch dm-export DM: page 7's double-click on the section data file (or a .hdm,
// LandXML or CSV file), the tick boxes, then "保存数据". Without --standard, --left-right
// or --format the boxes stay as the load set them; --format alone writes only the
// formats asked for. --start and --spacing fill the start chainage and spacing fields.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/clock.h"
#include "app/context.h"
#include "base/paths.h"
#include "base/strings.h"
#include "cli/cli.h"
#include "cli/data_file_page.h"
#include "sectionfile/exchange.h"
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
    std::vector<sectionfile::ExchangeFormat> formats;
    for (const std::string& value : run.options.All("format"))
        for (const std::string& name : Split(value, ',')) {
            auto format = sectionfile::ExchangeFormatNamed(Trim(name));
            if (!format)
                return UsageError(
                    "dm-export",
                    "--format 应为 hdm、hintcad、landxml 或 csv，而不是“" + Trim(name) + "”");
            formats.push_back(*format);
        }
    if (formats.empty() && (run.options.Has("start") || run.options.Has("spacing")))
        return UsageError("dm-export", "--start 和 --spacing 只用于 --format 的交换格式");
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
    if (standard || left_right || !formats.empty()) {
        if (!SetBox(run, page.Check11, standard, "文件没有用“@”写的增量，已是标准格式。") ||
            !SetBox(run, page.Check12, left_right, "文件中没有中心左侧的点。"))
            return 1;
    }
    window::CheckBox* boxes[] = {&page.Check13, &page.Check14, &page.Check15, &page.Check16};
    for (size_t i = 0; i < std::size(boxes); ++i) {
        bool wanted = std::find(formats.begin(), formats.end(), sectionfile::kExchangeFormats[i]) !=
                      formats.end();
        if (!SetBox(run, *boxes[i], wanted, "没有载入断面。")) return 1;
    }
    if (auto start = run.options.Get("start")) page.Text26.Edit(*start);
    if (auto spacing = run.options.Get("spacing")) page.Text27.Edit(*spacing);
    if (!page.Check11.ticked() && !page.Check12.ticked() && formats.empty()) {
        run.ui.MessageBox(app::MessageIcon::Exclamation, "数据断面", "没有选择要保存的格式。");
        return 1;
    }
    int before = run.ui.refusals();
    page.Command25.Click();
    if (run.ui.refusals() > before) return 1;
    if (formats.empty())  // with other formats the page's message has named the files
        for (const auto& file : page.saved_files)
            std::fprintf(stderr, "已保存: %s\n", file.c_str());
    return 0;
}

const bool registered =
    Register({"dm-export",
              "DM [--standard] [--left-right] [--format hdm|hintcad|landxml|csv] [--start S "
              "--spacing D]",
              {"standard", "left-right"},
              DmExport});

}  // namespace

}  // namespace velorin::cli
