// The digitizer tests on the command line: their options (--segment, --overlap, --band,
// --smooth, --channels, --sensor) into the analysis options, and what a run adds to a channel's
// JSON: the PSD arrays, the octave bands, the fit.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "analysis/digitizer_results.h"

namespace cli {

// Whether name is one of the options; they all take a value.
bool is_digitizer_option(const std::string& name);
// Sets the option from its value; false, with why filled in, for a value it does not take.
// A channel list naming a channel past `channels` is refused.
bool set_digitizer_option(analysis::DigitizerOptions& o, const std::string& name,
                          const std::string& value, int channels, std::string* why);
const char* const* digitizer_option_names();

// What the estimates rest on: segments, blocks, band, method.
nlohmann::ordered_json digitizer_summary(const analysis::DigitizerResults& r, int test);
// The test's arrays and details for one channel (index), added to its JSON object.
void add_digitizer_channel(const analysis::DigitizerResults& r, int test, int channel,
                           nlohmann::ordered_json& j);

}  // namespace cli
