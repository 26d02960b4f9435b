// A plot as inline SVG for the report: a frame with ticks, axis names and a title; curves and
// bars decimated to their smallest and largest value per pixel column, so a plot of a million
// points stays a few thousand coordinates and keeps its exact outline; marker lines and texts.
#pragma once

#include <functional>
#include <map>
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

// The points (x of point i = x0 + i * (x1 - x0) / (count - 1)) gathered per pixel column of an
// axis over x_axis with columns columns; points off the axis are left out. Columns in order,
// only those that hold a point.
std::vector<ColumnRange> min_max_columns(const std::function<double(int)>& y, int count, double x0,
                                         double x1, Range x_axis, int columns);

class SvgPlot {
  public:
    SvgPlot(std::string title, std::string x_name, std::string y_name, Range x, Range y);

    // Pixel columns of the plotting area.
    static constexpr int kColumns = 672;
    int columns() const { return kColumns; }

    // count evenly spaced points from x0 to x1 joined by a line; more points than columns are
    // drawn as each column's smallest to largest value.
    void line(const std::function<double(int)>& y, int count, double x0, double x1, int colour);
    // A bar from 0 up to each point; more points than columns draw each column's tallest.
    void bars(const std::function<double(int)>& y, int count, double x0, double x1, int colour);
    // Lines of one colour that fall on the same half pixel are drawn once, over both spans.
    void marker_line(double x, double y_from, double y_to, int colour);
    // Texts closer than a few pixels to the previous one are left out, so they stay readable.
    void text(double x, double y, const std::string& text, int colour);

    // The plot as an <svg> element; id names it (and its clipping) within the document.
    std::string svg(const std::string& id) const;

  private:
    double px(double x) const;
    double py(double y) const;

    std::string title_, x_name_, y_name_;
    Range x_, y_;
    std::string body_;
    std::string texts_;
    std::map<std::pair<int, int>, Range> markers_;  // (half-pixel x, colour) -> y span
    double last_text_x_ = -1e9;
};

}  // namespace analysis::report
