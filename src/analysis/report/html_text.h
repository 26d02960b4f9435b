// Text and numbers for the report's HTML and SVG.
#pragma once

#include <optional>
#include <string>

namespace analysis::report {

// &, <, > and " as entities.
std::string escape(const std::string& text);
// A value that reads back to the same double ("%.17g"); "inf", "-inf", "nan" for the others.
std::string exact_number(double v);
// A value at a read-out's precision; "-" when there is none.
std::string shown_number(const std::optional<double>& v, int precision);

}  // namespace analysis::report
