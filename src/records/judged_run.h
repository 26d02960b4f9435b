// The production record of one judged run over the analysis context: when, where and by whom,
// the board and its firmware, every setting, the limits (file name and content hash), and for
// each test and channel every read-out ("signal.S/N", with its unit) and its verdicts.
#pragma once

#include <string>
#include <vector>

#include "records/run_record.h"

namespace analysis {
struct Context;
}

namespace records {

// kind: "analyze", "report" or "panel"; channels: how many of the block's channels were run.
RunRecord judged_run(const analysis::Context& cx, const std::vector<int>& tests, int channels,
                     const std::string& kind);

// The settings structs (chip setup, capture, analysis, digitizer options) as one JSON object.
std::string settings_json(const analysis::Context& cx);

// "signal.S/N": the key a read-out is kept under.
std::string figure_key(int test, const std::string& label);

// The earlier runs of a board as the report lists them: time, kind, test, verdict, newest
// first, at most `most`.
std::vector<std::vector<std::string>> earlier_rows(const std::vector<RunRecord>& runs, int most);

}  // namespace records
