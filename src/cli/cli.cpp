#include "cli/cli.h"

#include <algorithm>
#include <cstdio>

namespace velorin::cli {

std::optional<Options> Options::Parse(const std::vector<std::string>& args,
                                      const std::vector<std::string>& flags, std::string* error) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.starts_with("--")) {
            std::string name = a.substr(2), value;
            size_t eq = name.find('=');
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
            } else if (std::find(flags.begin(), flags.end(), name) == flags.end()) {
                if (i + 1 >= args.size()) {
                    if (error) *error = "选项 --" + name + " 缺少值";
                    return std::nullopt;
                }
                value = args[++i];
            }
            if (o.values_.count(name) == 0) o.order_.push_back(name);
            o.values_.emplace(name, value);
        } else {
            o.arguments_.push_back(a);
        }
    }
    return o;
}

std::optional<std::string> Options::Get(const std::string& name) const {
    auto range = values_.equal_range(name);
    if (range.first == range.second) return std::nullopt;
    return std::prev(range.second)->second;
}

std::vector<std::string> Options::Names() const { return order_; }

std::vector<std::string> Options::All(const std::string& name) const {
    std::vector<std::string> out;
    auto range = values_.equal_range(name);
    for (auto it = range.first; it != range.second; ++it) out.push_back(it->second);
    return out;
}

void ConsoleUi::MessageBox(app::MessageIcon icon, std::string_view title, std::string_view text) {
    if (icon == app::MessageIcon::Exclamation || icon == app::MessageIcon::Critical) ++refusals_;
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                 static_cast<int>(text.size()), text.data());
}

namespace {
std::map<std::string, Command>& Table() {
    static std::map<std::string, Command> table;
    return table;
}
}  // namespace

bool Register(Command command) {
    std::string name = command.name;
    Table()[name] = std::move(command);
    return true;
}

const std::map<std::string, Command>& Commands() { return Table(); }

std::string CheckOptions(const Command& command, const Options& options) {
    std::vector<std::string> known(command.flags), required;
    const std::string& usage = command.usage;
    int depth = 0;
    for (size_t i = 0; i < usage.size(); ++i) {
        char c = usage[i];
        if (c == '[' || c == '(') ++depth;
        if (c == ']' || c == ')') --depth;
        if (c == '-' && usage.compare(i, 2, "--") == 0 && (i == 0 || usage[i - 1] != '-')) {
            size_t end = usage.find_first_of(" []()|", i + 2);
            std::string name = usage.substr(i + 2, end == std::string::npos ? end : end - i - 2);
            known.push_back(name);
            if (depth == 0) required.push_back(name);
            i += name.size() + 1;
        }
    }
    for (const auto& name : options.Names())
        if (std::find(known.begin(), known.end(), name) == known.end()) return "未知选项 --" + name;
    for (const auto& name : required)
        if (!options.Has(name)) return "缺少选项 --" + name;
    return {};
}

int UsageError(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "velorin-batch %s: %s\n", command.c_str(), message.c_str());
    auto it = Commands().find(command);
    if (it != Commands().end())
        std::fprintf(stderr, "用法: velorin-batch [--program-dir DIR] [--main-dir DIR] %s %s\n",
                     command.c_str(), it->second.usage.c_str());
    return 2;
}

}  // namespace velorin::cli
