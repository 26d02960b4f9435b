// The report's plots on a logarithmic x axis: decades evenly spaced and labelled, points the axis
// has no place for (x <= 0) left out, and a long spectrum decimated to its outline per column.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "analysis/report/svg_plot.h"

namespace {

using analysis::report::Range;
using analysis::report::Scale;
using analysis::report::SvgPlot;
using analysis::report::XAxis;

constexpr double kLeft = 72, kRight = kLeft + SvgPlot::kColumns;

struct Label {
    double x;
    std::string text;
    bool operator==(const Label&) const = default;
};

// The x axis' tick labels, left to right.
std::vector<Label> x_labels(const std::string& svg) {
    static const std::regex label(
        R"re(<text x="([-\d.]+)" y="270" text-anchor="middle">([^<]+)<)re");
    std::vector<Label> out;
    for (std::sregex_iterator m(svg.begin(), svg.end(), label), end; m != end; ++m)
        out.push_back({std::stod((*m)[1]), (*m)[2]});
    return out;
}

// The x of each point of the first curve.
std::vector<double> curve_x(const std::string& svg) {
    std::vector<double> out;
    const auto at = svg.find("points=\"");
    if (at == std::string::npos) return out;
    const std::string list = svg.substr(at + 8, svg.find('"', at + 8) - at - 8);
    static const std::regex point(R"re(([-\d.]+),[-\d.]+)re");
    for (std::sregex_iterator m(list.begin(), list.end(), point), end; m != end; ++m)
        out.push_back(std::stod((*m)[1]));
    return out;
}

std::string log_plot(Range x, const std::function<void(SvgPlot&)>& draw = {}) {
    SvgPlot plot("t", "Hz", "dB", x, {-100.0, 0.0}, Scale::Logarithmic);
    if (draw) draw(plot);
    return plot.svg("p");
}

TEST(SvgLogAxis, DecadesAreLabelledAndEvenlySpaced) {
    const double w = SvgPlot::kColumns;
    struct Case {
        Range x;
        std::vector<std::string> labels;
    };
    const std::vector<Case> cases = {
        {{0.01, 100.0}, {"0.01", "0.1", "1", "10", "100"}},
        {{0.03, 300.0}, {"0.1", "1", "10", "100"}},
        {{0.0, 100.0}, {"0.1", "1", "10", "100"}},          // no place for 0: three decades shown
        {{2.0, 8.0}, {"2", "3", "4", "5", "6", "7", "8"}},  // no decade inside: 2 to 9 labelled
        {{1e-20, 1e20}, {"1e-20", "1e-14", "1e-08", "0.01", "10000", "1e+10", "1e+16"}},
    };
    for (const Case& c : cases) {
        const std::vector<Label> labels = x_labels(log_plot(c.x));
        std::vector<std::string> texts;
        for (const Label& l : labels) texts.push_back(l.text);
        EXPECT_EQ(texts, c.labels) << c.x.lo;
    }
    EXPECT_EQ(x_labels(log_plot({0.01, 100.0})), (std::vector<Label>{{kLeft, "0.01"},
                                                                     {kLeft + w / 4, "0.1"},
                                                                     {kLeft + w / 2, "1"},
                                                                     {kLeft + 3 * w / 4, "10"},
                                                                     {kRight, "100"}}));
}

TEST(SvgLogAxis, PointsAtOrBelowZeroAreLeftOut) {
    const std::vector<double> x = {-1.0, 0.0, 1.0, 10.0, 100.0, NAN}, y = {5, 5, -1, -2, -3, -4};
    const std::string svg = log_plot({1.0, 100.0}, [&](SvgPlot& p) {
        p.line_xy(x, y, 0);
        p.marker_line(0.0, -50.0, 0.0, 0x800000);
        p.text(-3.0, -20.0, "DC", 0);
    });
    EXPECT_EQ(curve_x(svg), (std::vector<double>{kLeft, (kLeft + kRight) / 2, kRight}));
    EXPECT_EQ(svg.find("class=\"marker\""), std::string::npos);
    EXPECT_EQ(svg.find(">DC<"), std::string::npos);

    // Evenly spaced points from 0: the first is left out, the rest crowd to the right.
    const auto even = curve_x(log_plot(
        {1.0, 100.0}, [](SvgPlot& p) { p.line([](int) { return -1.0; }, 101, 0, 100, 0); }));
    ASSERT_EQ(even.size(), 100u);
    EXPECT_EQ(even.front(), kLeft);
    EXPECT_EQ(even[9], (kLeft + kRight) / 2);  // x = 10
    EXPECT_EQ(even.back(), kRight);

    // A linear axis keeps every finite point, beyond the frame too.
    SvgPlot linear("t", "x", "y", {0.0, 100.0}, {-10.0, 10.0});
    linear.line_xy(x, y, 0);
    EXPECT_EQ(curve_x(linear.svg("q")).size(), 5u);
    // Fewer y than x: the pairs there are (x = -1 lies 6.72 pixels left of the frame).
    SvgPlot short_y("t", "x", "y", {0.0, 100.0}, {-10.0, 10.0});
    short_y.line_xy(x, std::vector<double>{1.0}, 0);
    EXPECT_EQ(curve_x(short_y.svg("r")), std::vector<double>{65.3});
}

// A 32,769-bin spectrum from DC to 250 Hz: the DC bin has no place, each column holds the least
// and the most of its bins, and the curve stays two points per column at most.
TEST(SvgLogAxis, ALongSpectrumKeepsItsOutline) {
    const int n = 32769;
    const double df = 250.0 / (n - 1);
    const auto x = [df](int i) { return i * df; };
    const auto y = [](int i) {
        return i == 0 ? 1000.0 : i == 20000 ? 50.0 : i == 100 ? -80.0 : -60.0 + std::sin(i * 0.1);
    };
    const XAxis axis{{df, 250.0}, Scale::Logarithmic};
    const auto cols = analysis::report::min_max_columns(x, y, n, axis, SvgPlot::kColumns);
    ASSERT_FALSE(cols.empty());
    EXPECT_EQ(cols.front().column, 0);
    EXPECT_EQ(cols.back().column, SvgPlot::kColumns - 1);
    const auto column_of = [&](int i) {
        return static_cast<int>(std::log10(x(i) / df) / std::log10(250.0 / df) * SvgPlot::kColumns);
    };
    int previous = -1;
    for (const auto& c : cols) {
        EXPECT_GT(c.column, previous);
        previous = c.column;
        EXPECT_LE(c.hi, c.column == column_of(20000) ? 50.0 : -59.0);  // DC's 1000 nowhere
        EXPECT_GE(c.lo, c.column == column_of(100) ? -80.0 : -61.0);
    }
    const auto spike = std::find_if(cols.begin(), cols.end(),
                                    [&](const auto& c) { return c.column == column_of(20000); });
    const auto dip = std::find_if(cols.begin(), cols.end(),
                                  [&](const auto& c) { return c.column == column_of(100); });
    ASSERT_NE(spike, cols.end());
    ASSERT_NE(dip, cols.end());
    EXPECT_EQ(spike->hi, 50.0);
    EXPECT_EQ(dip->lo, -80.0);

    std::vector<double> xs(n), ys(n);
    for (int i = 0; i < n; ++i) xs[i] = x(i), ys[i] = y(i);
    const auto points = curve_x(log_plot(axis.range, [&](SvgPlot& p) { p.line_xy(xs, ys, 0); }));
    EXPECT_EQ(points.size(), 2 * cols.size());
    EXPECT_LE(points.size(), 2u * SvgPlot::kColumns);
}

}  // namespace
