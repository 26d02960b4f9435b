#include "cli/macro_commands.h"

#include "cli/cli.h"
#include "cli/command.h"
#include "macros/external.h"
#include "macros/files.h"
#include "macros/line.h"
#include "shell/app.h"

namespace cli {

namespace {

const char* const kUsage =
    "usage: macro run FILE | macro ext N | macro name N NAME | macro show FILE (N 1..8)";

Result from_status(const core::Status& s, Result ok) {
    if (s) return ok;
    return failure(s.text.empty() ? std::string(core::fault_name(s.fault)) : s.text);
}

Result show(const std::string& path) {
    macros::Table t;
    // What a run of the file would do.
    if (macros::read_macro_file(path, &t, macros::FileUse::Run) != macros::ReadResult::Ok)
        return failure("cannot read " + path);
    Result r;
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (int i = 0; i < macros::operation_count(t); ++i) {
        const std::string line = macros::create_macro_line(t[i]);
        lines.push_back(line);
        r.lines.emplace_back(std::to_string(i + 1), line);
    }
    r.data["lines"] = lines;
    return r;
}

Result macro(Context& c, const std::vector<std::string>& a) {
    long long n = 0;
    const bool numbered = a.size() >= 3 && (a[1] == "ext" || a[1] == "name");
    if (numbered && !parse_number(a[2], 1, macros::kExternalMacros, &n)) return usage_error(kUsage);
    if (a.size() == 3 && a[1] == "show") return show(a[2]);
    const bool run = a.size() == 3 && a[1] == "run";
    const bool ext = a.size() == 3 && a[1] == "ext";
    if (a.size() == 4 && a[1] == "name") {
        Result ok;
        ok.add("macro", n, "M" + std::to_string(n));
        ok.add("name", a[3], a[3]);
        return from_status(macros::rename_ext_macro(c.app, static_cast<int>(n), a[3]), ok);
    }
    if (!run && !ext) return usage_error(kUsage);
    Result f;
    if (ext && !input_file_ok(macros::ext_macro_path(c.app, static_cast<int>(n)), &f)) return f;
    if (!ensure_connected(c, &f)) return f;
    Result ok;
    if (run) {
        ok.add("file", a[2], a[2]);
        return from_status(macros::run_macro_file(c.app, a[2]), ok);
    }
    ok.add("macro", n, "M" + std::to_string(n));
    const core::Status s = macros::run_ext_macro(c.app, static_cast<int>(n));
    if (s.fault == core::Fault::Cancelled) return failure("not confirmed (answer with --yes)");
    return from_status(s, ok);
}

}  // namespace

void add_macro_commands() {
    commands()["macro"] = {"macro run FILE | ext N | name N NAME | show FILE",
                           "run a macro file or external macro N, rename button N, list a file",
                           macro};
}

}  // namespace cli
