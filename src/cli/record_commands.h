#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "recording/mseed_reader.h"

namespace cli {

struct Result;

// record: the board's stream into a miniSEED archive; evaluate ppsd: its noise over time.
void add_record_commands();

// Breaks in recorded data as [{"from", "to"}] in UTC; with lines, also a "gap" line each.
nlohmann::ordered_json gap_list(const std::vector<recording::Gap>& gaps, Result* lines);

}  // namespace cli
