// Graphs draw what the model holds, once per batch, and a click moves cursor 1.
#include <QFontMetricsF>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QTest>

#include <cmath>
#include <vector>

#include "all_types_fixture.h"
#include "platform/ui/qt/graph_view.h"

using qt_support::Recorded;
using qt_support::settle;

namespace {

constexpr int kPoints = 524289;

class QtGraph : public AllTypes {
  protected:
    void SetUp() override {
        AllTypes::SetUp();
        quiet();
        graph = widget<ui::qt::GraphView>("GRAPH");
        ASSERT_NE(graph, nullptr);
        g = id("GRAPH");
        QObject::connect(graph, &QCustomPlot::afterReplot, [this] { ++replots; });
    }
    const ui::GraphState& state() { return t->ui.control(panel, g)->graph; }

    ui::qt::GraphView* graph = nullptr;
    int g = 0;
    int replots = 0;
};

// Whether some pixel is (within antialiasing blur) of the colour.
bool has_colour(const QImage& img, QRgb colour) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (std::abs(qRed(p) - qRed(colour)) + std::abs(qGreen(p) - qGreen(colour)) +
                    std::abs(qBlue(p) - qBlue(colour)) <
                24)
                return true;
        }
    return false;
}

}  // namespace

TEST_F(QtGraph, FourLargeCurvesWithTextAndMarkersDraw) {
    auto& ui = t->ui;
    const int colours[] = {0x000000, 0x800000, 0x008000, 0x000080};
    std::vector<double> y(kPoints);
    ui.SetCtrlAttribute(panel, g, ui::ATTR_REFRESH_GRAPH, 0);
    for (int ch = 0; ch < 4; ++ch) {
        for (int i = 0; i < kPoints; ++i) y[i] = std::sin(i * 0.0005 * (ch + 1)) * (4 - ch);
        ui.PlotY(panel, g, y.data(), kPoints, ui::VAL_THIN_LINE, colours[ch]);
    }
    ui.PlotText(panel, g, 1000.0, 4.2, "2", ui::VAL_BLACK);
    ui.PlotLine(panel, g, 2000.0, -4.0, 2000.0, 3.0, 0x800000);
    ui.PlotLine(panel, g, 3000.0, -4.0, 3000.0, 3.0, 0x800000);
    ui.SetCtrlAttribute(panel, g, ui::ATTR_LABEL_TEXT, "Time Domain");
    ui.SetCtrlAttribute(panel, g, ui::ATTR_XNAME, "Samples");
    ui.SetCtrlAttribute(panel, g, ui::ATTR_YNAME, "Codes");
    settle();
    EXPECT_EQ(replots, 0);  // deferred: nothing drawn yet
    EXPECT_EQ(graph->plottableCount(), 0);

    ui.SetCtrlAttribute(panel, g, ui::ATTR_REFRESH_GRAPH, 1);
    settle(50);
    EXPECT_EQ(graph->drawn_generation(), state().generation);
    EXPECT_GE(replots, 1);
    ASSERT_EQ(graph->graphCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(graph->graph(i)->dataCount(), kPoints);
        EXPECT_TRUE(graph->graph(i)->adaptiveSampling());
    }
    EXPECT_EQ(graph->itemCount(), 2 + 3);  // the cursor's two lines, the text, two markers
    int xmode, ymode;
    double x0, x1, y0, y1;
    ui.GetAxisRange(panel, g, &xmode, &x0, &x1, &ymode, &y0, &y1);
    EXPECT_EQ(graph->xAxis->range(), QCPRange(x0, x1));  // autoscaled as the model says
    EXPECT_EQ(graph->yAxis->range(), QCPRange(y0, y1));
    EXPECT_EQ(graph->xAxis->label(), "Samples");
    EXPECT_EQ(graph->yAxis->label(), "Codes");
    auto* title = qobject_cast<QCPTextElement*>(graph->plotLayout()->element(0, 0));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Time Domain");

    const QImage img = graph->grab().toImage();
    EXPECT_TRUE(has_colour(img, 0x800000));
    EXPECT_TRUE(has_colour(img, 0x008000));
    EXPECT_TRUE(has_colour(img, 0x000080));

    // Adding one marker uploads nothing again and draws once more.
    const int before = replots;
    ui.PlotLine(panel, g, 4000.0, -4.0, 4000.0, 3.0, 0x800000);
    settle(20);
    EXPECT_EQ(replots, before + 1);
    EXPECT_EQ(graph->itemCount(), 2 + 4);

    ui.DeleteGraphPlot(panel, g, -1);
    settle(20);
    EXPECT_EQ(graph->plottableCount(), 0);
    EXPECT_EQ(graph->itemCount(), 2);
}

TEST_F(QtGraph, ManualRangesAndPlotStylesShowAsGiven) {
    auto& ui = t->ui;
    ui.SetAxisRange(panel, g, ui::VAL_MANUAL, -5.0, 25.0, ui::VAL_MANUAL, 0.0, 105.0);
    const double codes[] = {1, 2, 3, 4}, counts[] = {10, 100, 40, 5};
    ui.PlotXY(panel, g, codes, counts, 4, ui::VAL_VERTICAL_BAR, 0x008000);
    std::vector<double> x(5000), y(5000);
    for (int i = 0; i < 5000; ++i) x[i] = i, y[i] = i % 7;
    ui.PlotXY(panel, g, x.data(), y.data(), 5000, ui::VAL_VERTICAL_BAR, 0x000080);
    const double cx[] = {0, 1, 0, -1}, cy[] = {1, 0, -1, 0};  // x not in order: a figure
    ui.PlotXY(panel, g, cx, cy, 4, ui::VAL_THIN_LINE, 0x800000);
    settle(20);
    EXPECT_EQ(graph->xAxis->range(), QCPRange(-5.0, 25.0));
    EXPECT_EQ(graph->yAxis->range(), QCPRange(0.0, 105.0));
    ASSERT_EQ(graph->plottableCount(), 3);
    auto* bars = qobject_cast<QCPBars*>(graph->plottable(0));
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(bars->data()->size(), 4);
    EXPECT_DOUBLE_EQ(bars->width(), 1.0);
    auto* impulses = qobject_cast<QCPGraph*>(graph->plottable(1));
    ASSERT_NE(impulses, nullptr);
    EXPECT_EQ(impulses->lineStyle(), QCPGraph::lsImpulse);
    EXPECT_NE(qobject_cast<QCPCurve*>(graph->plottable(2)), nullptr);

    // Bright colours meant for a dark background stay visible on white.
    ui.DeleteGraphPlot(panel, g, -1);
    ui.PlotY(panel, g, counts, 4, ui::VAL_THIN_LINE, ui::VAL_YELLOW);
    settle(20);
    const QColor pen = graph->graph(0)->pen().color();
    EXPECT_LT(pen.lightnessF(), 0.5);
    EXPECT_GT(pen.red(), pen.blue());  // still a yellow
}

TEST_F(QtGraph, AClickMovesTheCursorAndRaisesCommit) {
    auto& ui = t->ui;
    const double y[] = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    ui.SetAxisRange(panel, g, ui::VAL_MANUAL, 0.0, 10.0, ui::VAL_MANUAL, 0.0, 100.0);
    ui.PlotY(panel, g, y, 11, ui::VAL_THIN_LINE, ui::VAL_BLUE);
    settle(20);
    auto pixel = [&](double x, double yv) {
        return QPoint(static_cast<int>(std::lround(graph->xAxis->coordToPixel(x))),
                      static_cast<int>(std::lround(graph->yAxis->coordToPixel(yv))));
    };
    events.clear();

    // Snap mode: the cursor lands on the nearest point.
    QTest::mouseClick(graph, Qt::LeftButton, {}, pixel(3.2, 31.0));
    double cx = 0, cy = 0;
    ui.GetGraphCursor(panel, g, 1, &cx, &cy);
    EXPECT_DOUBLE_EQ(cx, 3.0);
    EXPECT_DOUBLE_EQ(cy, 30.0);
    EXPECT_EQ(events, (std::vector<Recorded>{{g, ui::EVENT_COMMIT}}));
    settle(10);
    auto* vline = qobject_cast<QCPItemStraightLine*>(graph->item(0));
    ASSERT_NE(vline, nullptr);
    EXPECT_TRUE(vline->visible());
    EXPECT_DOUBLE_EQ(vline->point1->coords().x(), 3.0);

    // Free form: where the person clicked.
    ui.SetCursorAttribute(panel, g, 1, ui::ATTR_CURSOR_MODE, ui::VAL_FREE_FORM);
    QTest::mouseClick(graph, Qt::LeftButton, {}, pixel(6.5, 42.0));
    ui.GetGraphCursor(panel, g, 1, &cx, &cy);
    EXPECT_NEAR(cx, 6.5, 0.05);
    EXPECT_NEAR(cy, 42.0, 0.5);

    // Outside the plot area (on the axis labels) the cursor stays.
    events.clear();
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(events.empty());

    // The program moving the cursor moves the drawing too, without a commit.
    ui.SetGraphCursor(panel, g, 1, 8.0, 80.0);
    EXPECT_DOUBLE_EQ(vline->point1->coords().x(), 8.0);
    EXPECT_TRUE(events.empty());
}

TEST_F(QtGraph, TitleGoesAwayWhenEmpty) {
    auto& ui = t->ui;
    settle(10);
    ASSERT_NE(qobject_cast<QCPTextElement*>(graph->plotLayout()->element(0, 0)), nullptr);
    ui.SetCtrlAttribute(panel, g, ui::ATTR_LABEL_TEXT, "");
    settle(10);
    EXPECT_EQ(qobject_cast<QCPTextElement*>(graph->plotLayout()->element(0, 0)), nullptr);
    EXPECT_EQ(graph->plotLayout()->rowCount(), 1);
}

TEST_F(QtGraph, TheGraphGrowsWithItsPanel) {
    auto* sub = t.frontend.main_window()->findChild<QMdiSubWindow*>("ALL_window");
    ASSERT_NE(sub, nullptr);
    t.frontend.main_window()->resize(1920, 1080);
    settle(20);
    sub->resize(1150, 700);
    settle(20);
    const QSize before = graph->size();
    sub->resize(1450, 900);
    settle(20);
    // All the space gained goes to the graph.
    EXPECT_GE(graph->width() - before.width(), 295);
    EXPECT_GE(graph->height() - before.height(), 195);
}

// The wheel zooms x about the pointer (y with Ctrl), a drag moves the view, and both reach the
// model; a press that does not move is still a click.
TEST_F(QtGraph, TheWheelAndADragAskTheModelForANewRange) {
    auto& ui = t->ui;
    const double y[] = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    ui.SetAxisRange(panel, g, ui::VAL_MANUAL, 0.0, 10.0, ui::VAL_MANUAL, 0.0, 100.0);
    ui.PlotY(panel, g, y, 11, ui::VAL_THIN_LINE, ui::VAL_BLUE);
    settle(20);
    const QPointF centre(graph->xAxis->coordToPixel(5.0), graph->yAxis->coordToPixel(50.0));
    auto wheel = [&](Qt::KeyboardModifiers mods) {
        QWheelEvent e(centre, graph->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(graph, &e);
        settle(10);
    };
    wheel(Qt::NoModifier);
    EXPECT_NEAR(state().x.min, 1.0, 1e-6);  // 80 % of the range, about x = 5
    EXPECT_NEAR(state().x.max, 9.0, 1e-6);
    EXPECT_DOUBLE_EQ(state().y.max, 100.0);
    wheel(Qt::ControlModifier);
    EXPECT_NEAR(state().y.min, 10.0, 1e-6);
    EXPECT_NEAR(state().y.max, 90.0, 1e-6);

    const QPoint from = centre.toPoint(), to = from + QPoint(100, 0);
    const double shift = graph->xAxis->pixelToCoord(to.x()) - graph->xAxis->pixelToCoord(from.x());
    events.clear();
    QTest::mousePress(graph, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step) {
        QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(25 * step, 0)),
                         graph->mapToGlobal(QPointF(from + QPoint(25 * step, 0))), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(graph, &move);
    }
    QTest::mouseRelease(graph, Qt::LeftButton, {}, to);
    settle(10);
    EXPECT_NEAR(state().x.min, 1.0 - shift, 1e-6);
    EXPECT_NEAR(state().x.max, 9.0 - shift, 1e-6);
    // A drag is no click: the zoom is announced, nothing is committed.
    EXPECT_EQ(events, (std::vector<Recorded>{{g, ui::EVENT_ZOOM}}));
}

// Named plots are listed in the legend; marks repeated at one place (each channel marking the
// same harmonic) show once, and different marks at one place stand apart.
TEST_F(QtGraph, LegendNamesAndMarksThatDoNotOverlap) {
    auto& ui = t->ui;
    const double y[] = {0, 10, 20};
    ui.SetAxisRange(panel, g, ui::VAL_MANUAL, 0.0, 2.0, ui::VAL_MANUAL, 0.0, 100.0);
    const int h = ui.PlotY(panel, g, y, 3, ui::VAL_THIN_LINE, ui::VAL_BLUE);
    settle(20);
    EXPECT_FALSE(graph->legend->visible());
    ui.SetPlotAttribute(panel, g, h, ui::ATTR_PLOT_LG_TEXT, "CH 1");
    // Harmonic 2 marked by two channels at different heights, mark 3 on the same spot, and
    // a mark above the top of the range.
    ui.PlotText(panel, g, 1.0, 50.0, "2", ui::VAL_BLACK);
    ui.PlotText(panel, g, 1.0, 30.0, "2", ui::VAL_BLACK);
    ui.PlotText(panel, g, 1.0, 50.0, "3", ui::VAL_BLACK);
    ui.PlotText(panel, g, 1.8, 120.0, "F", ui::VAL_BLACK);
    settle(20);
    graph->replot();
    EXPECT_TRUE(graph->legend->visible());
    EXPECT_EQ(graph->legend->itemCount(), 1);
    std::vector<QRectF> shown;
    for (int i = 0; i < graph->itemCount(); ++i) {
        auto* text = qobject_cast<QCPItemText*>(graph->item(i));
        if (!text || !text->visible()) continue;
        const QPointF bottom = text->position->pixelPosition();
        const QSizeF size = QFontMetricsF(text->font()).size(0, text->text());
        shown.emplace_back(bottom.x() - size.width() / 2, bottom.y() - size.height(), size.width(),
                           size.height());
    }
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_FALSE(shown[0].intersects(shown[1]));
    EXPECT_FALSE(shown[1].intersects(shown[2]));
    for (const QRectF& r : shown) EXPECT_GE(r.top(), graph->axisRect()->rect().top());
}

// A log x axis labels decades evenly spaced and has no place for x <= 0: lines, impulses, figures,
// index plots, marks and the cursor there are left out, and the wheel and a drag work in decades.
// Back on a linear axis every point returns.
TEST_F(QtGraph, ALogXAxisShowsDecadesAndNothingAtOrBelowZero) {
    auto& ui = t->ui;
    const double x[] = {-1, 0, 0.01, 0.1, 1, 10, 100}, y[] = {90, 80, 10, 20, 30, 20, 10};
    const double fx[] = {1, -1, 10}, fy[] = {0, 1, 2};  // x not in order: a figure
    ui.SetAxisRange(panel, g, ui::VAL_AUTOSCALE, 0, 0, ui::VAL_MANUAL, 0.0, 100.0);
    ui.PlotXY(panel, g, x, y, 7, ui::VAL_THIN_LINE, 0x000080);
    ui.PlotXY(panel, g, x, y, 7, ui::VAL_VERTICAL_BAR, 0x800000);
    ui.PlotXY(panel, g, fx, fy, 3, ui::VAL_THIN_LINE, 0x008000);
    ui.PlotY(panel, g, y, 7, ui::VAL_THIN_LINE, 0x008000);
    ui.PlotText(panel, g, 0.0, 50.0, "DC", ui::VAL_BLACK);
    ui.PlotLine(panel, g, 0.0, 0.0, 10.0, 50.0, ui::VAL_BLACK);
    ui.SetCursorAttribute(panel, g, 1, ui::ATTR_CURSOR_MODE, ui::VAL_FREE_FORM);
    ui.SetGraphCursor(panel, g, 1, 0.0, 40.0);
    ui.SetCtrlAttribute(panel, g, ui::ATTR_XAXIS_LOG, 1);
    settle(20);
    graph->replot();

    ASSERT_EQ(graph->xAxis->scaleType(), QCPAxis::stLogarithmic);
    EXPECT_FALSE(graph->xAxis->ticker().dynamicCast<QCPAxisTickerLog>().isNull());
    EXPECT_EQ(graph->xAxis->range(), QCPRange(0.01, 100.0));
    EXPECT_EQ(graph->xAxis->tickVectorLabels(),
              (QVector<QString>{"0.01", "0.1", "1", "10", "100"}));
    const auto px = [&](double v) { return graph->xAxis->coordToPixel(v); };
    EXPECT_NEAR(px(0.1) - px(0.01), px(100) - px(10), 1e-6);
    ASSERT_EQ(graph->plottableCount(), 4);
    const auto points = [&](int i) { return graph->plottable(i)->interface1D()->dataCount(); };
    EXPECT_EQ(std::vector<int>({points(0), points(1), points(2), points(3)}),
              std::vector<int>({5, 5, 2, 6}));
    auto* impulses = qobject_cast<QCPGraph*>(graph->plottable(1));
    ASSERT_NE(impulses, nullptr);
    EXPECT_EQ(impulses->lineStyle(), QCPGraph::lsImpulse);
    const auto visible = [&](auto* item) { return item && item->visible(); };
    for (int i = 0; i < graph->itemCount(); ++i) {
        EXPECT_FALSE(visible(qobject_cast<QCPItemText*>(graph->item(i))));
        EXPECT_FALSE(visible(qobject_cast<QCPItemLine*>(graph->item(i))));
    }
    auto* vline = qobject_cast<QCPItemStraightLine*>(graph->item(0));
    auto* hline = qobject_cast<QCPItemStraightLine*>(graph->item(1));
    ASSERT_NE(hline, nullptr);
    EXPECT_FALSE(visible(vline));
    EXPECT_TRUE(visible(hline));
    EXPECT_NEAR(hline->point1->pixelPosition().y(), graph->yAxis->coordToPixel(40.0), 1e-6);
    const QImage img = graph->grab().toImage();
    EXPECT_TRUE(has_colour(img, 0x000080));

    // The wheel about x = 10 shows 80 % of the decades; a drag keeps their count.
    ui.SetAxisRange(panel, g, ui::VAL_MANUAL, 1.0, 100.0, ui::VAL_NO_CHANGE, 0, 0);
    settle(20);
    const QPointF centre(px(10.0), graph->yAxis->coordToPixel(50.0));
    QWheelEvent wheel(centre, graph->mapToGlobal(centre), {}, {0, 120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(graph, &wheel);
    settle(10);
    EXPECT_NEAR(std::log10(state().x.min), 0.2, 1e-6);
    EXPECT_NEAR(std::log10(state().x.max), 1.8, 1e-6);
    const QPoint from = centre.toPoint(), to = from + QPoint(100, 0);
    QTest::mousePress(graph, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), graph->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(graph, &move);
    QTest::mouseRelease(graph, Qt::LeftButton, {}, to);
    settle(10);
    EXPECT_LT(state().x.min, std::pow(10.0, 0.2));  // what lies to the left comes into view
    EXPECT_GT(state().x.min, 0.0);
    EXPECT_NEAR(std::log10(state().x.max / state().x.min), 1.6, 1e-6);

    ui.SetCtrlAttribute(panel, g, ui::ATTR_XAXIS_LOG, 0);
    ui.SetAxisRange(panel, g, ui::VAL_AUTOSCALE, 0, 0, ui::VAL_NO_CHANGE, 0, 0);
    settle(20);
    graph->replot();
    EXPECT_EQ(graph->xAxis->scaleType(), QCPAxis::stLinear);
    EXPECT_TRUE(graph->xAxis->ticker().dynamicCast<QCPAxisTickerLog>().isNull());
    EXPECT_EQ(graph->xAxis->range(), QCPRange(-1.0, 100.0));
    EXPECT_EQ(points(0), 7);
    EXPECT_TRUE(visible(vline));
    int texts = 0;
    for (int i = 0; i < graph->itemCount(); ++i)
        texts += visible(qobject_cast<QCPItemText*>(graph->item(i)));
    EXPECT_EQ(texts, 1);
}
