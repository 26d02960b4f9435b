#include "analysis/report/html_text.h"

#include <cmath>
#include <cstdio>

namespace analysis::report {

std::string escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string exact_number(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    char s[40];
    std::snprintf(s, sizeof s, "%.17g", v);
    return s;
}

std::string shown_number(const std::optional<double>& v, int precision) {
    if (!v) return "-";
    if (!std::isfinite(*v)) return exact_number(*v);
    char s[64];
    std::snprintf(s, sizeof s, "%.*f", precision, *v);
    return s;
}

}  // namespace analysis::report
