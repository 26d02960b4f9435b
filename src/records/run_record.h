// One judged run of the program as the production records keep it: who ran which test on which
// board with which settings, the figures it gave and how they compared with the limits. Plain
// data; the stores in this folder keep it whole.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace records {

struct FigureRow {
    int channel = 0;
    std::string key;              // "noise_density", "thd"...
    std::string unit;             // "dBFS/Hz", "dB"...
    std::optional<double> value;  // none when the run could not give the figure
    bool upper_bound = false;     // the value bounds the figure from above

    bool operator==(const FigureRow&) const = default;
};

struct VerdictRow {
    int channel = 0;
    std::string figure;  // the key of the figure judged
    std::optional<double> value, min, max;
    bool pass = false;

    bool operator==(const VerdictRow&) const = default;
};

struct RunRecord {
    std::string id;   // unique, from new_record_id(), so a record sent twice is recognised
    std::string utc;  // "2026-12-08T10:00:00.123Z"
    std::string host, operator_name, program_version;
    std::string board_serial;
    int board_code = 0;
    std::string firmware;
    std::string kind;                      // "analyze", "report", "panel"
    std::string test;                      // the test key: "signal", "psd"...
    std::string settings_json;             // the settings as JSON text, kept as given
    std::string limits_name, limits_hash;  // empty when the run had no limits
    std::string data_ref;                  // the saved data file or archive; empty when none
    std::string verdict;                   // "pass", "fail", or empty without limits
    std::vector<FigureRow> figures;
    std::vector<VerdictRow> verdicts;

    bool operator==(const RunRecord&) const = default;
};

// Which records a query returns; an empty field does not filter.
struct RecordFilter {
    std::string serial{};   // only this board
    std::string since{};    // ISO date or date-time (UTC), inclusive
    std::string figure{};   // only records holding a figure of this key
    std::string verdict{};  // only records with this verdict ("pass", "fail")
    int limit = 0;          // at most this many, the oldest first; 0 for all
};

// 32 lowercase hexadecimal digits of a fresh random 128-bit value.
std::string new_record_id();

}  // namespace records
