// The analysis data file: a line of ten settings, a line holding one space, then n + 1 rows of
// four tag/sample pairs, n = samples / channels. Reading never stores past the row scratch and
// names the line it could not read.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "core/system_types.h"

namespace analysis {

struct AnalysisState;

struct DataHeader {
    int num_samples = 0;  // all channels together
    double fs = 0.0;
    int window_index = 0;
    int fs_code = 0;
    double fs_volt = 0.0;
    int limit_bw = 0;
    int channels = 0;  // 1..4
    double ref_power = 0.0;

    // In 64 bits: a count near int's limit on one channel must not overflow before the
    // check against the channel arrays.
    long long rows() const { return static_cast<long long>(num_samples) / channels + 1; }
};

// A larger file is refused unread: the most rows the channel arrays hold, each of eight
// numbers of eleven characters and their separators, and room for the two header lines.
inline constexpr std::uintmax_t kMaxDataFileBytes =
    std::uintmax_t{core::kBufferEntries} * 8 * 12 + 4096;

// Writes line 1, the one-space line and rows 0 .. rows() - 1 of the channel arrays. The rows
// must fit the arrays.
void write_data_file(std::ostream& out, const DataHeader& h, const AnalysisState& st);

// What went wrong and on which line (0: the file as a whole).
struct ReadError {
    int line = 0;
    std::string what;
};

// Reads line 1; checks the channel count and that the rows fit the channel arrays.
bool read_data_header(std::istream& in, DataHeader* h, ReadError* error);
// Reads h.rows() rows into rows (eight entries per row: tag and sample of channels 1 to 4).
bool read_data_rows(std::istream& in, const DataHeader& h, std::int32_t* rows, ReadError* error);

}  // namespace analysis
