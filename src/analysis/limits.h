// Pass/fail limits for production test: per test and figure (the read-out's label, as `analyze`
// prints it) a minimum and/or a maximum, for every channel or the listed ones; and the verdicts
// of a channel's read-outs against them. Plain data and JSON; no panel.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace analysis {

// The key of a test in limits files and in `analyze` ("time", "hist", "signal", "noise",
// "phase", "psd", "selfnoise", "crosstalk", "sinefit"), by test selector value; -1 / null for
// none.
const char* test_key(int test);
int test_from_key(std::string_view key);

// One read-out of a test: label, display precision and value (empty when the analysis could
// not produce it).
struct Readout {
    std::string label;
    int precision = 2;
    std::optional<double> value;
    std::string note;          // said instead of a missing value
    bool upper_bound = false;  // the value bounds the figure from above
};

struct FigureLimit {
    int test = 0;
    std::string figure;
    std::optional<double> min, max;
    std::array<bool, 4> channels = {true, true, true, true};
};

struct Limits {
    std::vector<FigureLimit> entries;
    // The file they were loaded from and its text, which production records name and hash.
    std::string file, text;
    bool loaded() const { return !entries.empty(); }
};

// Whether a test shows a read-out of this label.
using FigureCatalogue = std::function<bool(int test, const std::string& figure)>;

// {"signal": {"S/N": {"min": 110}, "SFDR": {"min": 115, "channels": [1, 3]}}, ...}.
// Fault::BadInput, with a one-line reason in text, for text that is not such JSON, an unknown
// test, figure or key, a limit without min and max, min above max, or a channel outside 1..4.
core::Status parse_limits(std::string_view text, const FigureCatalogue& known, Limits* out);
// A limit for every figure of every test is a few kilobytes; a larger file is refused unread.
inline constexpr std::uintmax_t kMaxLimitsFileBytes = 1 << 20;
// The file's content through parse_limits; BadInput also when it cannot be read (a folder, a
// device, larger than kMaxLimitsFileBytes).
core::Status load_limits(const std::string& path, const FigureCatalogue& known, Limits* out);

struct Verdict {
    std::string figure;
    std::optional<double> value;
    std::optional<double> min, max;
    bool pass = false;
};

// The verdicts of one channel (index 0..3) for one test, in the order of its read-outs. Bounds
// are inclusive; a limited figure without a value fails.
std::vector<Verdict> evaluate_limits(const Limits& limits, int test, int channel,
                                     std::span<const Readout> readouts);

}  // namespace analysis
