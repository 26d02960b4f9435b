// One read-out of a test: its label, its precision, and its value.
#pragma once

#include <optional>
#include <string_view>

namespace analysis::spectrum {

// A value that the analysis cannot produce (no noise bin left, a figure with no reference, a
// logarithm of a negative estimate) is empty; logarithms of zero give +-infinity and are shown.
struct Statistic {
    std::string_view label;
    int precision = 2;
    std::optional<double> value;
};

}  // namespace analysis::spectrum
