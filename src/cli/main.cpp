// velorin-batch: the scripted front end. Each subcommand presses one page's buttons on
// the same page models as the desktop program and prints what the page shows. It never
// writes Velorin.ini.
#include <cstdio>
#include <string>
#include <vector>

#include "base/paths.h"
#include "base/text_file.h"
#include "cli/cli.h"

namespace {

using namespace velorin;

void PrintUsage(FILE* out) {
    std::fputs(
        "用法: velorin-batch [--program-dir DIR] [--main-dir DIR] COMMAND [options] "
        "[args]\n\n命令:\n",
        out);
    for (const auto& [name, command] : cli::Commands())
        std::fprintf(out, "  %s %s\n", name.c_str(), command.usage.c_str());
    std::fputs(
        "\n点选: --pick X,Y 为图上一点的点击，--pick-window X1,Y1,X2,Y2 为窗口选择，均可重复。\n"
        "退出码: 0 完成，1 被拒绝或失败，2 用法错误。\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string program_dir = ExecutableDir(), main_dir;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if ((args[i] == "--program-dir" || args[i] == "--main-dir") && i + 1 < args.size()) {
            (args[i] == "--program-dir" ? program_dir : main_dir) = args[i + 1];
            ++i;
            continue;
        }
        break;
    }
    if (i >= args.size()) {
        PrintUsage(stderr);
        return 2;
    }
    std::string name = args[i];
    auto it = cli::Commands().find(name);
    if (it == cli::Commands().end()) {
        std::fprintf(stderr, "velorin-batch: 未知命令“%s”\n", name.c_str());
        PrintUsage(stderr);
        return 2;
    }
    std::vector<std::string> rest(args.begin() + i + 1, args.end());
    for (const auto& a : rest)
        if (a == "--help" || a == "-h") {
            std::printf("用法: velorin-batch [--program-dir DIR] [--main-dir DIR] %s %s\n",
                        name.c_str(), it->second.usage.c_str());
            return 0;
        }
    std::string error;
    auto options = cli::Options::Parse(rest, it->second.flags, &error);
    if (!options) return cli::UsageError(name, error);
    if (std::string wrong = cli::CheckOptions(it->second, *options); !wrong.empty())
        return cli::UsageError(name, wrong);
    // A folder that does not exist would be created empty or read as empty, silently.
    for (const auto& [option, folder] :
         {std::pair{"--program-dir", program_dir}, std::pair{"--main-dir", main_dir}}) {
        if (!folder.empty() && !IsFolder(folder)) {
            std::fprintf(stderr, "velorin-batch: %s 所指的文件夹“%s”不存在。\n", option,
                         folder.c_str());
            return 2;
        }
    }

    // Older programs may not show a character GBK lacks: one warning line per file.
    SetOutsideGbkNotice([](const std::string& path, const std::vector<std::string>& texts) {
        std::fprintf(stderr, "警告: %s\n", OutsideGbkMessage(path, texts).c_str());
    });
    cli::ConsoleUi ui;
    auto program = app::Startup(program_dir, ui);
    if (!program) return 1;
    if (!main_dir.empty()) program->settings.MainDir = main_dir;
    cli::Run run{*program, ui, *options};
    int status = it->second.run(run);
    if (!app::CommitStore(*program, ui, "velorin-batch")) return 1;
    return status;
}
