// The frame of velorin-batch: option parsing, the console Ui (message boxes on standard
// error as "TITLE: TEXT"), program start-up, and the table of subcommands. Each
// subcommand lives in a file of its own and registers itself here.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/module1.h"
#include "app/ui.h"

namespace velorin::cli {

// Options of one run: "--name value" pairs (repeatable) and plain arguments in order.
class Options {
  public:
    // Parses argv after the command name. Flags named in `flags` take no value.
    static std::optional<Options> Parse(const std::vector<std::string>& args,
                                        const std::vector<std::string>& flags, std::string* error);
    bool Has(const std::string& name) const { return values_.count(name) > 0; }
    std::optional<std::string> Get(const std::string& name) const;  // the last given
    std::vector<std::string> All(const std::string& name) const;
    const std::vector<std::string>& Arguments() const { return arguments_; }
    // The option names given, once each, in the order first given.
    std::vector<std::string> Names() const;

  private:
    std::multimap<std::string, std::string> values_;
    std::vector<std::string> order_;
    std::vector<std::string> arguments_;
};

class ConsoleUi : public app::Ui {
  public:
    void MessageBox(app::MessageIcon icon, std::string_view title, std::string_view text) override;
    int refusals() const { return refusals_; }

  private:
    int refusals_ = 0;  // exclamation and critical boxes: the command stopped on them
};

struct Run {
    app::Program& program;
    ConsoleUi& ui;
    const Options& options;
};

// A subcommand: returns the exit status (0 done, 1 refused or failed, 2 usage).
struct Command {
    std::string name;
    std::string usage;               // one line: arguments and options
    std::vector<std::string> flags;  // options without a value
    std::function<int(Run&)> run;
};

// Registers a subcommand at static initialisation; returns true so it can seed a constant.
bool Register(Command command);
const std::map<std::string, Command>& Commands();

// The options a command's usage line names ("--name"), and those of them it requires:
// the ones outside brackets and parentheses. Empty when the options fit; otherwise the
// message for the first one unknown ("未知选项") or missing.
std::string CheckOptions(const Command& command, const Options& options);

// Prints a usage error for the command and returns 2.
int UsageError(const std::string& command, const std::string& message);

}  // namespace velorin::cli
