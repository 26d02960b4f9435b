#include "cli/help.h"

#include <algorithm>
#include <sstream>

#include "cli/cli.h"
#include "cli/command_line.h"

namespace cli {

void print_command_list(std::ostream& out) {
    // A synopsis too long for its column gets a line of its own, with the description below.
    constexpr std::size_t kColumn = 44;
    for (const auto& [name, info] : commands()) {
        out << "  " << info.usage;
        if (info.usage.size() + 2 <= kColumn)
            out << std::string(kColumn - info.usage.size(), ' ');
        else
            out << "\n" << std::string(kColumn + 2, ' ');
        out << info.help << "\n";
    }
}

bool asks_for_help(const std::vector<std::string>& words) {
    return std::any_of(words.begin() + (words.empty() ? 0 : 1), words.end(),
                       [](const std::string& w) { return w == "--help" || w == "-h"; });
}

Result command_help(const std::string& name) {
    const auto it = commands().find(name);
    if (it == commands().end()) return unknown_command(name);
    Result r;
    r.data["usage"] = it->second.usage;
    r.data["help"] = it->second.help;
    r.text = {"usage: " + it->second.usage, it->second.help};
    return r;
}

Result unknown_command(const std::string& name) {
    return unknown_name("command", name, command_names(), " ('help' lists them)");
}

void add_help_command() {
    commands()["help"] = {"help [COMMAND]", "list the commands, or show how COMMAND is called",
                          [](Context&, const std::vector<std::string>& a) {
                              if (a.size() > 2) return usage_error("usage: help [COMMAND]");
                              if (a.size() == 2) return command_help(a[1]);
                              std::ostringstream list;
                              print_command_list(list);
                              Result r;
                              std::istringstream in(list.str());
                              for (std::string line; std::getline(in, line);)
                                  r.text.push_back(line);
                              r.data["commands"] = command_names();
                              return r;
                          }};
}

}  // namespace cli
