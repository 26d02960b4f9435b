// What every record store must do, checked the same way on SQLite and on PostgreSQL: the
// records built here fill every field, leave values out and carry numbers that lose digits in
// any text form shorter than the exact one.
#pragma once

#include <string>
#include <vector>

#include "records/store.h"

namespace testing_support {

// A record of board n, at second n of 2026-12-08 10:00, fresh id.
records::RunRecord sample_record(int n);

// All the store holds, the oldest first; a failed query fails the test.
std::vector<records::RunRecord> stored(records::RecordStore& store,
                                       const records::RecordFilter& f = {});

// Puts records out of order and reads them back whole, the oldest first; returns them.
std::vector<records::RunRecord> check_round_trip(records::RecordStore& store);

// Each filter field alone and together selects the right records.
void check_filters(records::RecordStore& store);

// A record put twice, the second time changed, is kept once as first stored.
void check_duplicates(records::RecordStore& store);

}  // namespace testing_support
