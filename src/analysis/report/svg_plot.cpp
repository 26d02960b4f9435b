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

std::string tick_label(double v) {
    char s[32];
    std::snprintf(s, sizeof s, "%g", v);
    return s;
}

}  // namespace

std::vector<ColumnRange> min_max_columns(const std::function<double(int)>& y, int count, double x0,
                                         double x1, Range x_axis, int columns) {
    std::vector<ColumnRange> out;
    const double span = x_axis.hi - x_axis.lo;
    if (count <= 0 || columns <= 0 || !(span > 0.0)) return out;
    const double dx = count > 1 ? (x1 - x0) / (count - 1) : 0.0;
    for (int i = 0; i < count; ++i) {
        const double x = x0 + i * dx;
        if (x < x_axis.lo || x > x_axis.hi) continue;
        const int c = std::min(columns - 1, static_cast<int>((x - x_axis.lo) / span * columns));
        const double v = y(i);
        if (out.empty() || out.back().column != c) {
            out.push_back({c, v, v});
        } else {
            out.back().lo = std::min(out.back().lo, v);
            out.back().hi = std::max(out.back().hi, v);
        }
    }
    return out;
}

SvgPlot::SvgPlot(std::string title, std::string x_name, std::string y_name, Range x, Range y)
    : title_(std::move(title)),
      x_name_(std::move(x_name)),
      y_name_(std::move(y_name)),
      x_(x),
      y_(y) {}

double SvgPlot::px(double x) const {
    return kLeft + (x - x_.lo) / (x_.hi - x_.lo) * kPlotWidth;
}

double SvgPlot::py(double y) const {
    const double v = std::clamp(y, y_.lo - (y_.hi - y_.lo), y_.hi + (y_.hi - y_.lo));
    return kTop + (y_.hi - v) / (y_.hi - y_.lo) * kPlotHeight;
}

void SvgPlot::line(const std::function<double(int)>& y, int count, double x0, double x1,
                   int colour) {
    std::string points;
    const double dx = count > 1 ? (x1 - x0) / (count - 1) : 0.0;
    if (count <= columns()) {
        for (int i = 0; i < count; ++i) points += num(px(x0 + i * dx)) + "," + num(py(y(i))) + " ";
    } else {
        for (const ColumnRange& c : min_max_columns(y, count, x0, x1, x_, columns())) {
            const std::string x = num(kLeft + c.column + 0.5);
            points += x + "," + num(py(c.lo)) + " " + x + "," + num(py(c.hi)) + " ";
        }
    }
    if (points.empty()) return;
    points.pop_back();
    body_ += "<polyline class=\"curve\" fill=\"none\" stroke=\"" + colour_text(colour) +
             "\" stroke-width=\"1\" points=\"" + points + "\"/>\n";
}

void SvgPlot::bars(const std::function<double(int)>& y, int count, double x0, double x1,
                   int colour) {
    std::string path;
    const std::string base = num(py(0.0));
    const double dx = count > 1 ? (x1 - x0) / (count - 1) : 0.0;
    if (count <= columns()) {
        for (int i = 0; i < count; ++i)
            path += "M" + num(px(x0 + i * dx)) + " " + base + "V" + num(py(y(i)));
    } else {
        for (const ColumnRange& c : min_max_columns(y, count, x0, x1, x_, columns()))
            path += "M" + num(kLeft + c.column + 0.5) + " " + base + "V" + num(py(c.hi));
    }
    if (path.empty()) return;
    body_ += "<path class=\"bars\" stroke=\"" + colour_text(colour) + "\" stroke-width=\"1\" d=\"" +
             path + "\"/>\n";
}

void SvgPlot::marker_line(double x, double y_from, double y_to, int colour) {
    const std::pair<int, int> key{static_cast<int>(std::lround(px(x) * 2.0)), colour};
    const Range span{std::min(y_from, y_to), std::max(y_from, y_to)};
    const auto [at, added] = markers_.emplace(key, span);
    if (added) return;
    at->second.lo = std::min(at->second.lo, span.lo);
    at->second.hi = std::max(at->second.hi, span.hi);
}

void SvgPlot::text(double x, double y, const std::string& text, int colour) {
    const double at = px(x);
    if (std::abs(at - last_text_x_) < kMinTextGap) return;
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
    for (double t : ticks(x_)) {
        const std::string x = num(px(t));
        s += "<line x1=\"" + x + "\" y1=\"" + std::to_string(kTop) + "\" x2=\"" + x + "\" y2=\"" +
             std::to_string(kTop + kPlotHeight) + "\" stroke=\"#DDDDDD\"/>\n";
        s += "<text x=\"" + x + "\" y=\"" + std::to_string(kTop + kPlotHeight + 14) +
             "\" text-anchor=\"middle\">" + tick_label(t) + "</text>\n";
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
