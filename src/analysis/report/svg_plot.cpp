#include "analysis/report/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/report/html_text.h"

namespace analysis::report {

namespace {

constexpr int kLeft = 72;
constexpr int kRight = 16;
constexpr int kWidth = kLeft + SvgPlot::kColumns + kRight;
constexpr int kHeight = 300;
constexpr int kTop = 28;
constexpr int kBottom = 44;
constexpr int kPlotWidth = SvgPlot::kColumns;
constexpr int kPlotHeight = kHeight - kTop - kBottom;
constexpr double kMinTextGap = 6.0;
// What a log axis without a lower end shows below its top.
constexpr double kLogFallbackSpan = 1000.0;
// A log axis labels about this many decades at most; it draws 2 to 9 of each decade as well
// when it labels each.
constexpr int kMaxDecadeLabels = 8;

std::string colour_text(int rgb) {
    char s[8];
    std::snprintf(s, sizeof s, "#%06X", rgb & 0xFFFFFF);
    return s;
}

std::string num(double v) {
    char s[32];
    std::snprintf(s, sizeof s, "%.1f", v);
    return s;
}

// Tick values at a 1, 2 or 5 step giving about six ticks.
std::vector<double> ticks(Range r) {
    std::vector<double> out;
    const double span = r.hi - r.lo;
    if (!(span > 0.0) || !std::isfinite(span)) return out;
    const double raw = span / 6.0;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    double step = decade;
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (decade * m >= raw) {
            step = decade * m;
            break;
        }
    for (double v = std::ceil(r.lo / step) * step; v <= r.hi + step * 1e-9; v += step)
        out.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
    return out;
}

struct Tick {
    double value;
    bool labelled;
};

// Decades, labelled, and the 2 to 9 of each decade; those labelled too when no decade falls in
// the range.
std::vector<Tick> log_ticks(Range r) {
    std::vector<Tick> out;
    const int first = static_cast<int>(std::ceil(std::log10(r.lo) - 1e-9));
    const int last = static_cast<int>(std::floor(std::log10(r.hi) + 1e-9));
    const int step = std::max(1, (last - first + kMaxDecadeLabels) / kMaxDecadeLabels);
    const auto inside = [r](double v) { return v >= r.lo * (1 - 1e-9) && v <= r.hi * (1 + 1e-9); };
    for (int k = first - 1; k <= last; ++k) {
        const double decade = std::pow(10.0, k);
        if (k >= first && (k - first) % step == 0) out.push_back({decade, true});
        if (step > 1) continue;
        for (int m = 2; m <= 9; ++m)
            if (inside(m * decade)) out.push_back({m * decade, last < first});
    }
    return out;
}

std::vector<Tick> x_ticks(const XAxis& axis) {
    if (axis.scale == Scale::Logarithmic) return log_ticks(axis.shown());
    std::vector<Tick> out;
    for (double v : ticks(axis.range)) out.push_back({v, true});
    return out;
}

std::string tick_label(double v) {
    char s[32];
    std::snprintf(s, sizeof s, "%g", v);
    return s;
}

}  // namespace

Range XAxis::shown() const {
    if (scale == Scale::Linear) return range;
    Range r = range;
    if (!(r.hi > 0.0)) r.hi = 1.0;
    if (!(r.lo > 0.0) || !(r.lo < r.hi)) r.lo = r.hi / kLogFallbackSpan;
    return r;
}

double XAxis::share(double x) const {
    const Range r = shown();
    if (!std::isfinite(x)) return NAN;
    if (scale == Scale::Linear) return (x - r.lo) / (r.hi - r.lo);
    if (!(x > 0.0)) return NAN;
    return std::log10(x / r.lo) / std::log10(r.hi / r.lo);
}

std::vector<ColumnRange> min_max_columns(const std::function<double(int)>& y, int count, double x0,
                                         double x1, Range x_axis, int columns) {
    const double dx = count > 1 ? (x1 - x0) / (count - 1) : 0.0;
    return min_max_columns([x0, dx](int i) { return x0 + i * dx; }, y, count, XAxis{x_axis},
                           columns);
}

std::vector<ColumnRange> min_max_columns(const std::function<double(int)>& x,
                                         const std::function<double(int)>& y, int count,
                                         const XAxis& x_axis, int columns) {
    std::vector<ColumnRange> out;
    const Range r = x_axis.shown();
    if (count <= 0 || columns <= 0 || !(r.hi > r.lo)) return out;
    for (int i = 0; i < count; ++i) {
        const double share = x_axis.share(x(i));
        const double v = y(i);
        if (!(share >= 0.0 && share <= 1.0) || std::isnan(v)) continue;
        const int c = std::min(columns - 1, static_cast<int>(share * columns));
        if (out.empty() || out.back().column != c) {
            out.push_back({c, v, v});
        } else {
            out.back().lo = std::min(out.back().lo, v);
            out.back().hi = std::max(out.back().hi, v);
        }
    }
    return out;
}

SvgPlot::SvgPlot(std::string title, std::string x_name, std::string y_name, Range x, Range y,
                 Scale x_scale)
    : title_(std::move(title)),
      x_name_(std::move(x_name)),
      y_name_(std::move(y_name)),
      x_{x, x_scale},
      y_(y) {}

double SvgPlot::px(double x) const {
    return kLeft + x_.share(x) * kPlotWidth;
}

double SvgPlot::py(double y) const {
    const double v = std::clamp(y, y_.lo - (y_.hi - y_.lo), y_.hi + (y_.hi - y_.lo));
    return kTop + (y_.hi - v) / (y_.hi - y_.lo) * kPlotHeight;
}

void SvgPlot::curve(const std::function<double(int)>& x, const std::function<double(int)>& y,
                    int count, int colour) {
    std::string points;
    if (count <= columns()) {
        // Every point, those beyond either end too: the clipping cuts the line at the frame.
        for (int i = 0; i < count; ++i) {
            const double at = px(x(i)), v = y(i);
            if (!std::isnan(at) && !std::isnan(v)) points += num(at) + "," + num(py(v)) + " ";
        }
    } else {
        for (const ColumnRange& c : min_max_columns(x, y, count, x_, columns())) {
            const std::string at = num(kLeft + c.column + 0.5);
            points += at + "," + num(py(c.lo)) + " " + at + "," + num(py(c.hi)) + " ";
        }
    }
    if (points.empty()) return;
    points.pop_back();
    body_ += "<polyline class=\"curve\" fill=\"none\" stroke=\"" + colour_text(colour) +
             "\" stroke-width=\"1\" points=\"" + points + "\"/>\n";
}

void SvgPlot::line(const std::function<double(int)>& y, int count, double x0, double x1,
                   int colour) {
    const double dx = count > 1 ? (x1 - x0) / (count - 1) : 0.0;
    curve([x0, dx](int i) { return x0 + i * dx; }, y, count, colour);
}

void SvgPlot::line_xy(std::span<const double> x, std::span<const double> y, int colour) {
    const int count = static_cast<int>(std::min(x.size(), y.size()));
    curve([x](int i) { return x[i]; }, [y](int i) { return y[i]; }, count, colour);
}

void SvgPlot::bars(const std::function<double(int)>& y, int count, double x0, double x1,
                   int colour) {
    std::string path;
    const std::string base = num(py(0.0));
    const double dx = count > 1 ? (x1 - x0) / (count - 1) : 0.0;
    const auto x = [x0, dx](int i) { return x0 + i * dx; };
    if (count <= columns()) {
        for (int i = 0; i < count; ++i) {
            const double at = px(x(i)), v = y(i);
            if (!std::isnan(at) && !std::isnan(v))
                path += "M" + num(at) + " " + base + "V" + num(py(v));
        }
    } else {
        for (const ColumnRange& c : min_max_columns(x, y, count, x_, columns()))
            path += "M" + num(kLeft + c.column + 0.5) + " " + base + "V" + num(py(c.hi));
    }
    if (path.empty()) return;
    body_ += "<path class=\"bars\" stroke=\"" + colour_text(colour) + "\" stroke-width=\"1\" d=\"" +
             path + "\"/>\n";
}

void SvgPlot::marker_line(double x, double y_from, double y_to, int colour) {
    if (std::isnan(px(x))) return;
    const std::pair<int, int> key{static_cast<int>(std::lround(px(x) * 2.0)), colour};
    const Range span{std::min(y_from, y_to), std::max(y_from, y_to)};
    const auto [at, added] = markers_.emplace(key, span);
    if (added) return;
    at->second.lo = std::min(at->second.lo, span.lo);
    at->second.hi = std::max(at->second.hi, span.hi);
}

void SvgPlot::text(double x, double y, const std::string& text, int colour) {
    const double at = px(x);
    if (std::isnan(at) || std::abs(at - last_text_x_) < kMinTextGap) return;
    last_text_x_ = at;
    texts_ += "<text class=\"mark\" x=\"" + num(at) + "\" y=\"" +
              num(std::max(py(y), kTop + 10.0)) + "\" fill=\"" + colour_text(colour) +
              "\" text-anchor=\"middle\">" + escape(text) + "</text>\n";
}

std::string SvgPlot::svg(const std::string& id) const {
    const std::string clip = id + "-clip";
    std::string s = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"plot\" id=\"" + id +
                    "\" width=\"" + std::to_string(kWidth) + "\" height=\"" +
                    std::to_string(kHeight) + "\" viewBox=\"0 0 " + std::to_string(kWidth) + " " +
                    std::to_string(kHeight) + "\" font-family=\"sans-serif\" font-size=\"11\">\n";
    s += "<defs><clipPath id=\"" + clip + "\"><rect x=\"" + std::to_string(kLeft) + "\" y=\"" +
         std::to_string(kTop) + "\" width=\"" + std::to_string(kPlotWidth) + "\" height=\"" +
         std::to_string(kPlotHeight) + "\"/></clipPath></defs>\n";
    s += "<text x=\"" + std::to_string(kWidth / 2) +
         "\" y=\"16\" text-anchor=\"middle\" font-size=\"13\" font-weight=\"bold\">" +
         escape(title_) + "</text>\n";
    for (const Tick& t : x_ticks(x_)) {
        const std::string x = num(px(t.value));
        s += "<line x1=\"" + x + "\" y1=\"" + std::to_string(kTop) + "\" x2=\"" + x + "\" y2=\"" +
             std::to_string(kTop + kPlotHeight) + "\" stroke=\"" +
             (t.labelled ? "#DDDDDD" : "#EEEEEE") + "\"/>\n";
        if (t.labelled)
            s += "<text x=\"" + x + "\" y=\"" + std::to_string(kTop + kPlotHeight + 14) +
                 "\" text-anchor=\"middle\">" + tick_label(t.value) + "</text>\n";
    }
    for (double t : ticks(y_)) {
        const std::string y = num(py(t));
        s += "<line x1=\"" + std::to_string(kLeft) + "\" y1=\"" + y + "\" x2=\"" +
             std::to_string(kLeft + kPlotWidth) + "\" y2=\"" + y + "\" stroke=\"#DDDDDD\"/>\n";
        s += "<text x=\"" + std::to_string(kLeft - 4) + "\" y=\"" + y +
             "\" text-anchor=\"end\" dominant-baseline=\"middle\">" + tick_label(t) + "</text>\n";
    }
    s += "<text x=\"" + std::to_string(kLeft + kPlotWidth / 2) + "\" y=\"" +
         std::to_string(kHeight - 8) + "\" text-anchor=\"middle\">" + escape(x_name_) + "</text>\n";
    s += "<text transform=\"translate(14 " + std::to_string(kTop + kPlotHeight / 2) +
         ") rotate(-90)\" text-anchor=\"middle\">" + escape(y_name_) + "</text>\n";
    s += "<g clip-path=\"url(#" + clip + ")\">\n" + body_;
    for (const auto& [key, span] : markers_) {
        const std::string x = num(key.first / 2.0);
        s += "<line class=\"marker\" x1=\"" + x + "\" y1=\"" + num(py(span.lo)) + "\" x2=\"" + x +
             "\" y2=\"" + num(py(span.hi)) + "\" stroke=\"" + colour_text(key.second) + "\"/>\n";
    }
    s += "</g>\n" + texts_;
    s += "<rect x=\"" + std::to_string(kLeft) + "\" y=\"" + std::to_string(kTop) + "\" width=\"" +
         std::to_string(kPlotWidth) + "\" height=\"" + std::to_string(kPlotHeight) +
         "\" fill=\"none\" stroke=\"#000000\"/>\n";
    return s + "</svg>\n";
}

}  // namespace analysis::report
