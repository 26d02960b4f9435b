// Box zoom: two clicks on the graph make the box; Restore undoes one level at a time.
#include "fixture.h"

using testing_support::AnalysisTest;

namespace {

class Zoom : public AnalysisTest {
  protected:
    void SetUp() override {
        AnalysisTest::SetUp();
        set_channel(0, {0, 100, -100, 50, 20, -40, 0, 10, 90, -90});
        run_test(analysis::kTimeDomain);
    }
    // Queues the two corners, then presses Zoom.
    void zoom(double x1, double y1, double x2, double y2) {
        t.frontend.click_graph(ap(), ANALYSIS_GRAPH, x1, y1);
        t.frontend.click_graph(ap(), ANALYSIS_GRAPH, x2, y2);
        ui().UserCommit(ap(), ANALYSIS_ZOOM);
    }
    void restore() { ui().UserCommit(ap(), ANALYSIS_RESTORE); }
    static bool same(const ui::Axis& a, const ui::Axis& b) {
        return a.mode == b.mode && a.min == b.min && a.max == b.max;
    }
};

TEST_F(Zoom, ABoxZoomsBothAxesAndShowsRestore) {
    zoom(6.0, 40.0, 2.0, -20.0);  // corners in any order
    EXPECT_EQ(t->analysis.zoom_depth, 1);
    EXPECT_EQ(graph().x.mode, ui::VAL_MANUAL);
    EXPECT_EQ(graph().x.min, 2.0);
    EXPECT_EQ(graph().x.max, 6.0);
    EXPECT_EQ(graph().y.min, -20.0);
    EXPECT_EQ(graph().y.max, 40.0);
    EXPECT_EQ(ctrl(ANALYSIS_ZOOM).width, 44);
    EXPECT_EQ(ctrl(ANALYSIS_ZOOM).label, "ZOOM");
    EXPECT_TRUE(visible(ANALYSIS_RESTORE));
    EXPECT_EQ(graph().cursor_mode, ui::VAL_SNAP_TO_POINT);
    EXPECT_TRUE(t.frontend.messages().empty());
}

TEST_F(Zoom, TwoZoomsAndTwoRestoresBringBackTheAxesExactly) {
    const ui::Axis x0 = graph().x, y0 = graph().y;
    zoom(1.0, -50.0, 8.0, 80.0);
    const ui::Axis x1 = graph().x, y1 = graph().y;
    zoom(2.5, -10.0, 4.5, 30.0);
    restore();
    EXPECT_TRUE(same(graph().x, x1) && same(graph().y, y1));
    EXPECT_TRUE(visible(ANALYSIS_RESTORE));
    restore();
    EXPECT_TRUE(same(graph().x, x0));
    EXPECT_TRUE(same(graph().y, y0));
    EXPECT_FALSE(visible(ANALYSIS_RESTORE));
    EXPECT_EQ(ctrl(ANALYSIS_ZOOM).width, 110);
    EXPECT_EQ(t->analysis.zoom_depth, 0);
}

TEST_F(Zoom, AFlatBoxIsRefusedAndChangesNothing) {
    const ui::Axis x0 = graph().x, y0 = graph().y;
    zoom(3.0, 10.0, 3.0, 50.0);
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{"Zoom Error|Deltas must be non-zero."}));
    EXPECT_EQ(t->analysis.zoom_depth, 0);
    EXPECT_EQ(ctrl(ANALYSIS_ZOOM).width, 110);
    EXPECT_FALSE(visible(ANALYSIS_RESTORE));
    EXPECT_EQ(ctrl(ANALYSIS_ZOOM).label, "ZOOM");
    EXPECT_TRUE(same(graph().x, x0) && same(graph().y, y0));
    // While zoomed, a flat box leaves the zoom as it was.
    zoom(1.0, -50.0, 8.0, 80.0);
    const ui::Axis x1 = graph().x;
    zoom(2.0, 5.0, 4.0, 5.0);
    EXPECT_EQ(t->analysis.zoom_depth, 1);
    EXPECT_EQ(ctrl(ANALYSIS_ZOOM).width, 44);
    EXPECT_TRUE(visible(ANALYSIS_RESTORE));
    EXPECT_TRUE(same(graph().x, x1));
}

TEST_F(Zoom, OtherEventsArePassedOverWhileWaitingForCorners) {
    t.frontend.commit(ap(), ANALYSIS_RESTORE);
    t.frontend.commit(ap(), ANALYSIS_TEST);
    zoom(1.0, -50.0, 8.0, 80.0);
    EXPECT_EQ(t->analysis.zoom_depth, 1);
    EXPECT_EQ(graph().x.min, 1.0);
}

TEST_F(Zoom, AZoomNobodyAnswersIsAbandoned) {
    const ui::Axis x0 = graph().x;
    t.frontend.click_graph(ap(), ANALYSIS_GRAPH, 1.0, 1.0);
    ui().UserCommit(ap(), ANALYSIS_ZOOM);  // second corner never comes
    EXPECT_EQ(t->analysis.zoom_depth, 0);
    EXPECT_EQ(ctrl(ANALYSIS_ZOOM).label, "ZOOM");
    EXPECT_EQ(ctrl(ANALYSIS_ZOOM).width, 110);
    EXPECT_FALSE(visible(ANALYSIS_RESTORE));
    EXPECT_EQ(graph().cursor_mode, ui::VAL_SNAP_TO_POINT);
    EXPECT_TRUE(same(graph().x, x0));
}

TEST_F(Zoom, TheDispatcherDropsEveryLevel) {
    zoom(1.0, -50.0, 8.0, 80.0);
    zoom(2.0, -10.0, 4.0, 30.0);
    analysis::analysis(app());
    EXPECT_EQ(t->analysis.zoom_depth, 0);
    EXPECT_FALSE(visible(ANALYSIS_RESTORE));
    EXPECT_EQ(ctrl(ANALYSIS_ZOOM).width, 110);
    EXPECT_EQ(graph().x.max, 9.0);  // the test's own axes again
}

TEST_F(Zoom, TheStackHoldsOneHundredLevels) {
    const ui::Axis x0 = graph().x;
    for (int i = 0; i < 100; ++i) zoom(0.0, 0.0, 100.0 - i, 100.0 - i);
    EXPECT_EQ(t->analysis.zoom_depth, 100);
    zoom(0.0, 0.0, 50.0, 50.0);
    EXPECT_EQ(t->analysis.zoom_depth, 100);
    EXPECT_EQ(graph().x.max, 1.0);  // the 100th box stays
    ASSERT_EQ(t.frontend.messages().size(), 1u);
    EXPECT_EQ(t.frontend.messages()[0].substr(0, 11), "Zoom Error|");
    EXPECT_EQ(t.frontend.pending(), 2u);  // the refused zoom waited for no corner
    for (int i = 0; i < 100; ++i) restore();
    EXPECT_TRUE(same(graph().x, x0));
    EXPECT_FALSE(visible(ANALYSIS_RESTORE));
}

}  // namespace

// The wheel or a drag zooms without the box; the test's own range stays one Restore away,
// however many steps the wheel took.
TEST_F(Zoom, AZoomByHandKeepsTheTestsRangeForRestore) {
    const ui::Axis x0 = graph().x, y0 = graph().y;
    ui().UserZoomGraph(ap(), ANALYSIS_GRAPH, 2.0, 6.0, -50.0, 50.0);
    ui().UserZoomGraph(ap(), ANALYSIS_GRAPH, 3.0, 5.0, -50.0, 50.0);
    EXPECT_EQ(t->analysis.zoom_depth, 1);
    EXPECT_TRUE(visible(ANALYSIS_RESTORE));
    EXPECT_EQ(graph().x.min, 3.0);
    restore();
    EXPECT_TRUE(same(graph().x, x0) && same(graph().y, y0));
    EXPECT_FALSE(visible(ANALYSIS_RESTORE));
}
