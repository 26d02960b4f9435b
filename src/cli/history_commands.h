#pragma once

#include <string>
#include <vector>

namespace cli {

struct Context;
struct Result;

// history [filters] and history export FILE.csv: the production records of judged runs.
void add_history_commands();

// Keeps the judged run of the tests (on the first `channels` channels) in the production
// records and says in the result where it went; a store that cannot take it is said, and the
// command still succeeds.
void keep_run(Context& c, const std::vector<int>& tests, int channels, const std::string& kind,
              Result* r);

}  // namespace cli
