// A plot as inline SVG for the report: a frame with ticks, axis names and a title; curves and
// bars decimated to their smallest and largest value per pixel column, so a plot of a million
// points stays a few thousand coordinates and keeps its exact outline; marker lines and texts.
// The x axis is linear or logarithmic (spectra read by the decade).
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace analysis::report {

struct Range {
    double lo = 0.0;
    double hi = 1.0;
};

// The smallest and largest y of the points that fall in one pixel column.
struct ColumnRange {
    int column = 0;
    double lo = 0.0;
    double hi = 0.0;
};

enum class Scale { Linear, Logarithmic };

// An x axis: its range and scale.
struct XAxis {
    Range range;
    Scale scale = Scale::Linear;
    // What it shows: the range, or on a log axis the part of it above 0: a lower end at or
    // below 0 (or not below hi) becomes three decades below hi, a top at or below 0 becomes 1.
    Range shown() const;
    // Where x lies across the axis, 0 at lo and 1 at hi (decades on a log axis); NaN where the
    // axis has no place for it (x <= 0 on a log axis, x not finite).
    double share(double x) const;
};

// The points (x of point i = x0 + i * (x1 - x0) / (count - 1)) gathered per pixel column of an
// axis over x_axis with columns columns; points off the axis are left out. Columns in order of
// the points, only those that hold a point.
std::vector<ColumnRange> min_max_columns(const std::function<double(int)>& y, int count, double x0,
                                         double x1, Range x_axis, int columns);
// The same for the points (x(i), y(i)) on any axis; a point the axis has no place for, or with
// no y (NaN), is left out.
std::vector<ColumnRange> min_max_columns(const std::function<double(int)>& x,
                                         const std::function<double(int)>& y, int count,
                                         const XAxis& x_axis, int columns);

class SvgPlot {
  public:
    SvgPlot(std::string title, std::string x_name, std::string y_name, Range x, Range y,
            Scale x_scale = Scale::Linear);

    // Pixel columns of the plotting area.
    static constexpr int kColumns = 672;
    int columns() const { return kColumns; }

    // count evenly spaced points from x0 to x1 joined by a line; more points than columns are
    // drawn as each column's smallest to largest value. On a log axis points at x <= 0 are left
    // out; so are points without a y (NaN).
    void line(const std::function<double(int)>& y, int count, double x0, double x1, int colour);
    // The same for points at given x (the first min(x.size(), y.size()) of them), which on a log
    // axis lie closer together to the right.
    void line_xy(std::span<const double> x, std::span<const double> y, int colour);
    // A bar from 0 up to each point; more points than columns draw each column's tallest.
    void bars(const std::function<double(int)>& y, int count, double x0, double x1, int colour);
    // Marker lines and texts at an x the axis has no place for are left out.
    // Lines of one colour that fall on the same half pixel are drawn once, over both spans.
    void marker_line(double x, double y_from, double y_to, int colour);
    // Texts closer than a few pixels to the previous one are left out, so they stay readable.
    void text(double x, double y, const std::string& text, int colour);

    // The plot as an <svg> element; id names it (and its clipping) within the document.
    std::string svg(const std::string& id) const;

  private:
    double px(double x) const;
    double py(double y) const;
    // A curve through the points, decimated per column when there are more than columns.
    void curve(const std::function<double(int)>& x, const std::function<double(int)>& y, int count,
               int colour);

    std::string title_, x_name_, y_name_;
    XAxis x_;
    Range y_;
    std::string body_;
    std::string texts_;
    std::map<std::pair<int, int>, Range> markers_;  // (half-pixel x, colour) -> y span
    double last_text_x_ = -1e9;
};

}  // namespace analysis::report
