#include "cli/history_commands.h"

#include <nlohmann/json.hpp>

#include "analysis/context.h"
#include "cli/command.h"
#include "records/csv_export.h"
#include "records/judged_run.h"
#include "shell/app.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

Json optional_number(const std::optional<double>& v) {
    return v ? Json(*v) : Json(nullptr);
}

Json record_json(const records::RunRecord& r) {
    Json j;
    j["id"] = r.id;
    j["utc"] = r.utc;
    j["host"] = r.host;
    j["operator"] = r.operator_name;
    j["program"] = r.program_version;
    j["serial"] = r.board_serial;
    j["board_code"] = r.board_code;
    j["firmware"] = r.firmware;
    j["kind"] = r.kind;
    j["test"] = r.test;
    j["settings"] = Json::parse(r.settings_json, nullptr, false);
    if (j["settings"].is_discarded()) j["settings"] = r.settings_json;
    j["limits"] = r.limits_name.empty() ? Json(nullptr)
                                        : Json{{"file", r.limits_name}, {"sha256", r.limits_hash}};
    j["data"] = r.data_ref.empty() ? Json(nullptr) : Json(r.data_ref);
    j["verdict"] = r.verdict.empty() ? Json(nullptr) : Json(r.verdict);
    Json figures = Json::array();
    for (const records::FigureRow& f : r.figures) {
        Json x{{"channel", f.channel},
               {"key", f.key},
               {"unit", f.unit},
               {"value", optional_number(f.value)}};
        if (f.upper_bound) x["upper_bound"] = true;
        figures.push_back(x);
    }
    j["figures"] = figures;
    Json verdicts = Json::array();
    for (const records::VerdictRow& v : r.verdicts)
        verdicts.push_back({{"channel", v.channel},
                            {"figure", v.figure},
                            {"value", optional_number(v.value)},
                            {"min", optional_number(v.min)},
                            {"max", optional_number(v.max)},
                            {"pass", v.pass}});
    j["verdicts"] = verdicts;
    return j;
}

constexpr const char* kUsage =
    "usage: history [export FILE.csv] [--serial S] [--since DATE] [--figure KEY] "
    "[--verdict pass|fail] [--limit N]";

Result history(Context& c, const std::vector<std::string>& a) {
    std::size_t i = 1;
    std::string csv;
    if (a.size() > 1 && a[1] == "export") {
        if (a.size() < 3) return usage_error(kUsage);
        csv = a[2];
        i = 3;
    }
    records::RecordFilter f;
    for (; i < a.size(); i += 2) {
        if (i + 1 >= a.size()) return usage_error(a[i] + " needs a value");
        const std::string& v = a[i + 1];
        long long n = 0;
        if (a[i] == "--serial") {
            f.serial = v;
        } else if (a[i] == "--since") {
            f.since = v;
        } else if (a[i] == "--figure") {
            f.figure = v;
        } else if (a[i] == "--verdict") {
            if (v != "pass" && v != "fail") return usage_error("--verdict takes pass or fail");
            f.verdict = v;
        } else if (a[i] == "--limit") {
            if (!parse_number(v, 1, 1000000, &n)) return usage_error("--limit takes 1 to 1000000");
            f.limit = static_cast<int>(n);
        } else {
            return unknown_option(a[i],
                                  {"--serial", "--since", "--figure", "--verdict", "--limit"});
        }
    }
    App& app = c.app;
    if (app.records.off()) return failure("records are off (--no-records)");
    std::vector<records::RunRecord> runs;
    if (const core::Status s = app.records.query(f, &runs); !s)
        return failure(s, "cannot read the records");
    Result r;
    if (!csv.empty()) {
        if (const core::Status s = records::export_csv(runs, csv); !s)
            return failure(s, "cannot write " + csv);
        r.add("file", csv, csv);
        r.add("records", runs.size(), std::to_string(runs.size()));
        return r;
    }
    Json list = Json::array();
    for (const records::RunRecord& run : runs) {
        list.push_back(record_json(run));
        r.lines.emplace_back(run.utc, (run.board_serial.empty() ? "-" : run.board_serial) + " " +
                                          run.kind + " " + run.test + " " +
                                          (run.verdict.empty() ? "-" : run.verdict) + ", " +
                                          std::to_string(run.figures.size()) + " figures");
    }
    r.data["records"] = list;
    r.lines.emplace_back("records", std::to_string(runs.size()));
    return r;
}

}  // namespace

void keep_run(Context& c, const std::vector<int>& tests, int channels, const std::string& kind,
              Result* r) {
    App& app = c.app;
    if (app.records.off()) return;
    const records::RunRecord run = records::judged_run(app, tests, channels, kind);
    const records::Kept k = app.records.keep(run);
    if (!k.status) {
        r->data["record"] = {{"id", run.id}, {"error", k.status.text}};
        r->lines.emplace_back("record", "not kept: " + k.status.text);
        return;
    }
    r->data["record"] = {{"id", run.id}, {"where", k.where}, {"spooled", k.spooled}};
    r->lines.emplace_back("record", k.spooled ? run.id + " kept locally, sent with a later run"
                                              : run.id + " in " + k.where);
}

void add_history_commands() {
    commands()["history"] = {
        "history [export FILE.csv] [--serial S] [--since DATE] [--figure KEY] "
        "[--verdict pass|fail] [--limit N]",
        "the production records of judged runs (analyze, report, the desktop's tests), oldest "
        "first; a figure's KEY is test.label (signal.S/N); export writes them as CSV",
        history};
}

}  // namespace cli
