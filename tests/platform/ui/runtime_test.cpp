// The panel run-time on its own: one small panel resource, the headless front-end recording
// every change it is told about, and the virtual clock.
#include "platform/ui/runtime.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "chipfiles/temp_dir.h"
#include "platform/clock/clock.h"
#include "platform/ui/headless_frontend.h"

namespace {

using namespace ui;

constexpr const char* kPanel = R"({
  "name": "P", "title": "Test",
  "menubar": {"name": "BAR", "menus": [{"name": "FILE", "label": "File", "items": [
      {"name": "SAVE", "label": "Save", "callback": "save_menu"},
      {"name": "MORE", "label": "More", "items": [{"name": "DEEP", "label": "Deep"}]}]}]},
  "boxes": [{"title": "Box", "controls": [
      {"name": "COUNT", "type": "numeric", "min": 0, "max": 100, "value": 5},
      {"name": "LEVEL", "type": "numeric", "real": true},
      {"name": "NAME", "type": "text", "max_length": 4},
      {"name": "RING", "type": "ring", "items": [["a", 10], ["b", 20], ["c", 30]], "index": 1},
      {"name": "LOG", "type": "textbox"},
      {"name": "GRAPH", "type": "graph", "callback": "graph"},
      {"name": "LAMP", "type": "led"}]}],
  "hidden_controls": [{"name": "TICK", "type": "timer", "interval": 1.0, "callback": "tick"}]
})";
enum { COUNT = 1, LEVEL, NAME, RING, LOG, GRAPH, LAMP, TICK };
enum { FILE_MENU = 1, SAVE, MORE, DEEP };

class RecordingFrontend : public HeadlessFrontend {
  public:
    void changed(const Change& c) override { changes.push_back(c); }
    int count(Change::Kind kind) const {
        int n = 0;
        for (const Change& c : changes) n += c.kind == kind;
        return n;
    }
    std::vector<Change> changes;
};

class Runtime : public ::testing::Test {
  protected:
    Runtime() {
        dir.write("test.uir", kPanel);
        callbacks.add_ctrl("tick", [this](int, int, int event, void*) {
            ticks.push_back(event);
            if (nested_tick) rt.TimerTick(panel, TICK);  // from inside a callback: dropped
            rt.Delay(0.25);
            return 0;
        });
        callbacks.add_ctrl("graph", [this](int, int, int event, void*) {
            int xmode = 0, ymode = 0;
            double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
            rt.GetAxisRange(panel, GRAPH, &xmode, &x0, &x1, &ymode, &y0, &y1);
            graph_events.push_back({event, x0, x1});
            return 0;
        });
        callbacks.add_menu("save_menu",
                           [this](int, int item, void*, int) { menus.push_back(item); });
        panel = rt.LoadPanel(0, "test.uir");
    }
    int menubar() const { return rt.GetPanelMenuBar(panel); }
    // The graph's x mode and the x and y ranges it shows.
    std::tuple<int, std::pair<double, double>, std::pair<double, double>> shown() const {
        int xmode = 0, ymode = 0;
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        rt.GetAxisRange(panel, GRAPH, &xmode, &x0, &x1, &ymode, &y0, &y1);
        return {xmode, {x0, x1}, {y0, y1}};
    }
    const Control& ctrl(int id) const { return *rt.control(panel, id); }

    testing_support::TempDir dir;
    platform::VirtualClock clock;
    RecordingFrontend frontend;
    CallbackRegistry callbacks;
    ui::Runtime rt{clock, frontend, callbacks, dir.path().string()};
    int panel = 0;
    std::vector<int> ticks, menus;
    struct GraphEvent {
        int event;
        double x0, x1;  // the x range the callback saw
        bool operator==(const GraphEvent&) const = default;
    };
    std::vector<GraphEvent> graph_events;
    bool nested_tick = false;
};

// A bound field follows its control whichever way the control changes, and a field the
// program writes reaches the control as the control keeps it.
TEST_F(Runtime, BoundFieldsFollowTheirControlsBothWays) {
    int count = -1, ring = -1;
    double level = -1;
    std::string name = "?";
    ASSERT_EQ(rt.Bind(panel, COUNT, &count), 0);
    ASSERT_EQ(rt.Bind(panel, RING, &ring), 0);
    ASSERT_EQ(rt.Bind(panel, LEVEL, &level), 0);
    ASSERT_EQ(rt.Bind(panel, NAME, &name), 0);
    EXPECT_EQ(count, 5);  // taken when bound
    EXPECT_EQ(ring, 20);
    EXPECT_EQ(rt.Bind(panel, NAME, &count), UIE_WRONG_TYPE);
    EXPECT_EQ(rt.Bind(panel, COUNT, &name), UIE_WRONG_TYPE);
    EXPECT_EQ(rt.Bind(panel, 99, &count), UIE_NO_SUCH_CONTROL);

    rt.SetCtrlVal(panel, COUNT, 150);  // coerced into the range
    EXPECT_EQ(count, 100);
    rt.UserSetValue(panel, LEVEL, 2.5);
    EXPECT_EQ(level, 2.5);
    rt.SetCtrlIndex(panel, RING, 2);
    EXPECT_EQ(ring, 30);
    rt.SetCtrlVal(panel, NAME, "abcdef");
    EXPECT_EQ(name, "abcd");
    rt.ClearListCtrl(panel, RING);
    rt.InsertListItem(panel, RING, -1, "x", 70);
    EXPECT_EQ(ring, 70);

    count = -4;
    EXPECT_EQ(rt.ShowBound(&count), 0);
    EXPECT_EQ(std::get<int>(ctrl(COUNT).value), 0);
    EXPECT_EQ(count, 0);
    ring = 55;  // no item holds it: refused, and the field is what the ring still shows
    EXPECT_EQ(rt.ShowBound(&ring), UIE_NO_SUCH_ITEM);
    EXPECT_EQ(ring, 70);
    name = "zz";
    EXPECT_EQ(rt.ShowBound(&name), 0);
    EXPECT_EQ(std::get<std::string>(ctrl(NAME).value), "zz");
    int unbound = 0;
    EXPECT_EQ(rt.ShowBound(&unbound), UIE_NO_SUCH_CONTROL);
    EXPECT_EQ(rt.binding_of(&unbound), nullptr);
    ASSERT_NE(rt.binding_of(&level), nullptr);
    EXPECT_EQ(rt.binding_of(&level)->ctrl, LEVEL);
    EXPECT_EQ(rt.bound_control(&level), &ctrl(LEVEL));
    EXPECT_EQ(rt.bound_control(&unbound), nullptr);
}

TEST_F(Runtime, AttributesLandInTheModelAndWrongOnesAreRefused) {
    ASSERT_GT(panel, 0);
    EXPECT_EQ(rt.SetCtrlAttribute(panel, COUNT, ATTR_DIMMED, 1), 0);
    EXPECT_EQ(rt.SetCtrlAttribute(panel, COUNT, ATTR_LABEL_TEXT, "Count"), 0);
    EXPECT_EQ(rt.SetCtrlAttribute(panel, LAMP, ATTR_ON_COLOR, VAL_RED), 0);
    EXPECT_EQ(rt.SetCtrlAttribute(panel, LEVEL, ATTR_PRECISION, 6.0), 0);  // a double for an int
    int v = 0;
    std::string s;
    EXPECT_EQ(rt.GetCtrlAttribute(panel, COUNT, ATTR_DIMMED, &v), 0);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(rt.GetCtrlAttribute(panel, COUNT, ATTR_LABEL_TEXT, &s), 0);
    EXPECT_EQ(s, "Count");
    EXPECT_EQ(ctrl(LAMP).on_colour, VAL_RED);
    EXPECT_EQ(ctrl(LEVEL).precision, 6);
    EXPECT_EQ(frontend.count(Change::Control), 4);

    struct Bad {
        int ctrl, attr, status;
    };
    for (const Bad& b :
         {Bad{COUNT, ATTR_LABEL_TEXT, UIE_WRONG_TYPE},
          Bad{COUNT, ATTR_REFRESH_GRAPH, UIE_WRONG_TYPE},
          Bad{COUNT, ATTR_CURSOR_MODE, UIE_WRONG_TYPE}, Bad{COUNT, ATTR_TITLE, UIE_WRONG_TYPE},
          Bad{COUNT, ATTR_XAXIS_LOG, UIE_WRONG_TYPE}, Bad{99, ATTR_DIMMED, UIE_NO_SUCH_CONTROL},
          Bad{0, ATTR_DIMMED, UIE_NO_SUCH_CONTROL}})
        EXPECT_EQ(rt.SetCtrlAttribute(panel, b.ctrl, b.attr, 1), b.status)
            << b.ctrl << " " << b.attr;
    EXPECT_EQ(rt.SetCtrlAttribute(panel, COUNT, ATTR_DIMMED, "x"), UIE_WRONG_TYPE);
    EXPECT_EQ(rt.GetCtrlAttribute(panel, COUNT, ATTR_MIN_VALUE, &v), UIE_WRONG_TYPE);  // a real
    EXPECT_EQ(rt.GetCtrlAttribute(panel, COUNT, ATTR_DIMMED, &s), UIE_WRONG_TYPE);
    EXPECT_EQ(rt.SetCtrlAttribute(panel + 1, COUNT, ATTR_DIMMED, 1), UIE_NO_SUCH_CONTROL);
    EXPECT_EQ(frontend.count(Change::Control), 4);  // refused calls change nothing
}

TEST_F(Runtime, NumbersAreCoercedIntoTheRangeAndTheType) {
    struct Case {
        double set;
        int want;
    };
    for (const Case& c : {Case{42.9, 42}, Case{-3, 0}, Case{250, 100}, Case{1e300, 100}}) {
        ASSERT_EQ(rt.SetCtrlVal(panel, COUNT, c.set), 0);
        int v = -1;
        rt.GetCtrlVal(panel, COUNT, &v);
        EXPECT_EQ(v, c.want) << c.set;
    }
    // Moving the range moves the value into it, even while min passes the old max.
    rt.SetCtrlVal(panel, COUNT, 50);
    rt.SetCtrlAttribute(panel, COUNT, ATTR_MAX_VALUE, 20.0);
    EXPECT_EQ(std::get<int>(ctrl(COUNT).value), 20);
    rt.SetCtrlAttribute(panel, COUNT, ATTR_MIN_VALUE, 30.0);
    EXPECT_EQ(std::get<int>(ctrl(COUNT).value), 30);
    rt.SetCtrlAttribute(panel, COUNT, ATTR_MAX_VALUE, 40);
    EXPECT_EQ(std::get<int>(ctrl(COUNT).value), 30);

    // An integer numeric without a range keeps values past int and ignores a NaN.
    rt.SetCtrlAttribute(panel, COUNT, ATTR_MIN_VALUE, -1e300);
    rt.SetCtrlAttribute(panel, COUNT, ATTR_MAX_VALUE, 1e300);
    for (const Case& c : {Case{3e9, INT_MAX}, Case{-3e9, INT_MIN}, Case{7, 7}, Case{NAN, 7}}) {
        rt.SetCtrlVal(panel, COUNT, c.set);
        EXPECT_EQ(std::get<int>(ctrl(COUNT).value), c.want) << c.set;
    }
    EXPECT_EQ(rt.SetCtrlVal(panel, NAME, "abcdef"), 0);
    std::string s;
    rt.GetCtrlVal(panel, NAME, &s);
    EXPECT_EQ(s, "abcd");  // cut to the entry length
    EXPECT_EQ(rt.SetCtrlVal(panel, NAME, 3), UIE_WRONG_TYPE);
    EXPECT_EQ(rt.SetCtrlVal(panel, COUNT, "3"), UIE_WRONG_TYPE);
}

TEST_F(Runtime, ListItemsKeepTheSelectionOnTheSameItem) {
    auto selected = [&] {
        int index = -2, value = -2;
        rt.GetCtrlIndex(panel, RING, &index);
        rt.GetCtrlVal(panel, RING, &value);
        return std::pair{index, value};
    };
    EXPECT_EQ(selected(), (std::pair{1, 20}));
    rt.InsertListItem(panel, RING, 0, "z", 5);  // before the selection: it moves along
    EXPECT_EQ(selected(), (std::pair{2, 20}));
    rt.InsertListItem(panel, RING, -1, "d", 40);  // appended
    int n = 0;
    rt.GetNumListItems(panel, RING, &n);
    EXPECT_EQ(n, 5);
    std::string label;
    rt.GetLabelFromIndex(panel, RING, 4, &label);
    EXPECT_EQ(label, "d");
    rt.DeleteListItem(panel, RING, 0, 1);  // before it
    EXPECT_EQ(selected(), (std::pair{1, 20}));
    rt.DeleteListItem(panel, RING, 1, 1);  // the selected item: the next one takes its place
    EXPECT_EQ(selected(), (std::pair{1, 30}));
    rt.DeleteListItem(panel, RING, 1, -1);  // to the end: the last left
    EXPECT_EQ(selected(), (std::pair{0, 10}));
    EXPECT_EQ(rt.SetCtrlVal(panel, RING, 99), UIE_NO_SUCH_ITEM);
    EXPECT_EQ(rt.SetCtrlIndex(panel, RING, 1), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(rt.DeleteListItem(panel, RING, 3, 1), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(rt.InsertListItem(panel, COUNT, 0, "x", 1), UIE_WRONG_TYPE);
    rt.ClearListCtrl(panel, RING);
    EXPECT_EQ(selected(), (std::pair{-1, 0}));
    rt.InsertListItem(panel, RING, 0, "only", 7);  // the first item is selected
    EXPECT_EQ(selected(), (std::pair{0, 7}));
}

TEST_F(Runtime, TextBoxLines) {
    std::string text;
    rt.ResetTextBox(panel, LOG, "one\ntwo");
    rt.InsertTextBoxLine(panel, LOG, -1, "three");
    rt.InsertTextBoxLine(panel, LOG, 0, "zero");
    rt.InsertTextBoxLine(panel, LOG, 99, "four");  // past the end: appended
    rt.GetCtrlVal(panel, LOG, &text);
    EXPECT_EQ(text, "zero\none\ntwo\nthree\nfour");
    rt.SetCtrlVal(panel, LOG, "a\n\nb\n");  // blank lines kept; reads back as written
    EXPECT_EQ(ctrl(LOG).lines, (std::vector<std::string>{"a", "", "b", ""}));
    rt.GetCtrlVal(panel, LOG, &text);
    EXPECT_EQ(text, "a\n\nb\n");
    rt.ResetTextBox(panel, LOG, "");
    EXPECT_TRUE(ctrl(LOG).lines.empty());
    EXPECT_EQ(rt.InsertTextBoxLine(panel, NAME, 0, "x"), UIE_WRONG_TYPE);
}

TEST_F(Runtime, DeferredGraphsRedrawOnceWhenRefreshReturns) {
    const double y[3] = {1, 2, 3};
    rt.SetCtrlAttribute(panel, GRAPH, ATTR_REFRESH_GRAPH, 0);
    const int first = rt.PlotY(panel, GRAPH, y, 3, VAL_THIN_LINE, VAL_RED);
    rt.PlotLine(panel, GRAPH, 0, 0, 1, 1, VAL_BLUE);
    rt.SetCtrlAttribute(panel, GRAPH, ATTR_XNAME, "Hz");
    rt.DeleteGraphPlot(panel, GRAPH, first);
    EXPECT_EQ(frontend.count(Change::Graph), 0);
    const int generation = ctrl(GRAPH).graph.generation;
    rt.SetCtrlAttribute(panel, GRAPH, ATTR_REFRESH_GRAPH, 1);
    EXPECT_EQ(frontend.count(Change::Graph), 1);
    EXPECT_GT(ctrl(GRAPH).graph.generation, generation);
    ASSERT_EQ(ctrl(GRAPH).graph.plots.size(), 1u);
    EXPECT_EQ(ctrl(GRAPH).graph.plots[0].kind, PlotKind::Segment);
    EXPECT_EQ(ctrl(GRAPH).graph.xname, "Hz");
    rt.PlotY(panel, GRAPH, y, 3, VAL_THIN_LINE, VAL_RED);  // drawn at once again
    EXPECT_EQ(frontend.count(Change::Graph), 2);
    EXPECT_EQ(rt.PlotY(panel, GRAPH, y, -1, VAL_THIN_LINE, VAL_RED), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(rt.PlotY(panel, COUNT, y, 3, VAL_THIN_LINE, VAL_RED), UIE_NO_SUCH_CONTROL);
}

TEST_F(Runtime, TimerTicksAreDroppedWhileSuspendedDisabledOrInsideACallback) {
    rt.SetCtrlAttribute(panel, TICK, ATTR_INTERVAL, 0.5);
    EXPECT_EQ(ctrl(TICK).interval, 0.5);
    rt.SetCtrlAttribute(panel, TICK, ATTR_INTERVAL, 2);  // whole seconds as an int
    EXPECT_EQ(ctrl(TICK).interval, 2.0);

    EXPECT_EQ(rt.Timer(), 0.0);
    EXPECT_EQ(rt.TimerTick(panel, TICK), 1);
    rt.SuspendTimerCallbacks();
    EXPECT_EQ(rt.TimerTick(panel, TICK), 0);
    rt.ResumeTimerCallbacks();
    rt.SetCtrlAttribute(panel, TICK, ATTR_ENABLED, 0);
    EXPECT_EQ(rt.TimerTick(panel, TICK), 0);
    rt.SetCtrlAttribute(panel, TICK, ATTR_ENABLED, 1);
    nested_tick = true;
    EXPECT_EQ(rt.TimerTick(panel, TICK), 1);
    EXPECT_EQ(ticks, (std::vector<int>{EVENT_TIMER_TICK, EVENT_TIMER_TICK}));
    EXPECT_EQ(rt.callback_depth(), 0);
    EXPECT_DOUBLE_EQ(rt.Timer(), 0.5);  // two callbacks' delays, on the virtual clock
    EXPECT_EQ(rt.TimerTick(panel, COUNT), UIE_NO_SUCH_CONTROL);
}

TEST_F(Runtime, MenuAttributesAndDiscardedMenus) {
    const int bar = menubar();
    ASSERT_GT(bar, 0);
    EXPECT_EQ(rt.SetMenuBarAttribute(bar, SAVE, ATTR_CHECKED, 1), 0);
    int v = 0;
    rt.GetMenuBarAttribute(bar, SAVE, ATTR_CHECKED, &v);
    EXPECT_EQ(v, 1);
    rt.UserMenu(bar, SAVE);
    rt.SetMenuBarAttribute(bar, SAVE, ATTR_DIMMED, 1);
    rt.UserMenu(bar, SAVE);  // dimmed: not run
    EXPECT_EQ(menus, std::vector<int>{SAVE});
    EXPECT_EQ(frontend.count(Change::MenuBar), 2);

    EXPECT_EQ(rt.SetMenuBarAttribute(bar, SAVE, ATTR_LABEL_TEXT, 1), UIE_WRONG_TYPE);
    EXPECT_EQ(rt.SetMenuBarAttribute(bar + 1, SAVE, ATTR_CHECKED, 1), UIE_NO_SUCH_ITEM);
    EXPECT_EQ(rt.DiscardMenu(bar, MORE), 0);  // with the item it holds
    EXPECT_EQ(rt.menu_item(bar, DEEP), nullptr);
    EXPECT_EQ(rt.SetMenuBarAttribute(bar, DEEP, ATTR_CHECKED, 1), UIE_NO_SUCH_ITEM);
    EXPECT_EQ(rt.DiscardMenu(bar, MORE), UIE_NO_SUCH_ITEM);
    EXPECT_NE(rt.menu_item(bar, SAVE), nullptr);
}

// The cursor as a marker: it steps down the peaks in view of one trace, and a click lands on the
// trace at the clicked x rather than on a sideways neighbour that happens to lie nearer.
TEST_F(Runtime, MarkersStepThroughPeaksAndSnapOntoTheTrace) {
    const double y[] = {0, 5, 1, 9, 9, 2, 7, 3};
    rt.SetAxisRange(panel, GRAPH, VAL_MANUAL, 0.0, 7.0, VAL_MANUAL, 0.0, 10.0);
    const int h = rt.PlotY(panel, GRAPH, y, 8, VAL_THIN_LINE, 0);
    auto cursor = [&] {
        double x = 0, v = 0;
        rt.GetGraphCursor(panel, GRAPH, 1, &x, &v);
        return std::pair(x, v);
    };
    using P = std::pair<double, double>;
    EXPECT_EQ(rt.CursorToPeak(panel, GRAPH, h, false), 0);
    EXPECT_EQ(cursor(), P(3, 9));  // a flat top counts once, at its start
    EXPECT_EQ(rt.CursorToPeak(panel, GRAPH, h, true), 0);
    EXPECT_EQ(cursor(), P(6, 7));
    EXPECT_EQ(rt.CursorToPeak(panel, GRAPH, h, true), 0);
    EXPECT_EQ(cursor(), P(1, 5));
    EXPECT_EQ(rt.CursorToPeak(panel, GRAPH, h, true), 1);  // no lower peak: it stays
    EXPECT_EQ(cursor(), P(1, 5));
    rt.SetAxisRange(panel, GRAPH, VAL_MANUAL, 4.0, 7.0, VAL_NO_CHANGE, 0.0, 0.0);
    EXPECT_EQ(rt.CursorToPeak(panel, GRAPH, h, false), 0);
    EXPECT_EQ(cursor(), P(6, 7));  // only what is in view

    rt.SetAxisRange(panel, GRAPH, VAL_MANUAL, 0.0, 7.0, VAL_NO_CHANGE, 0.0, 0.0);
    rt.UserMoveCursor(panel, GRAPH, 3.4, 0.5, false);
    EXPECT_EQ(cursor(), P(3, 9));

    const double x_out_of_order[] = {2, 1, 3}, y3[] = {1, 2, 3};
    const int figure = rt.PlotXY(panel, GRAPH, x_out_of_order, y3, 3, VAL_THIN_LINE, 0);
    EXPECT_EQ(rt.CursorToPeak(panel, GRAPH, figure, false), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(rt.CursorToPeak(panel, GRAPH, 99, false), UIE_INDEX_OUT_OF_RANGE);

    EXPECT_EQ(rt.SetPlotAttribute(panel, GRAPH, h, ATTR_PLOT_LG_TEXT, "CH 1"), 0);
    EXPECT_EQ(ctrl(GRAPH).graph.plots.front().name, "CH 1");
    EXPECT_EQ(rt.SetPlotAttribute(panel, GRAPH, 99, ATTR_PLOT_LG_TEXT, "x"),
              UIE_INDEX_OUT_OF_RANGE);
}

// A wheel or drag zoom tells the graph's callback while the old range still shows, so the
// callback can keep it; an empty or non-finite range is refused before anyone is told.
TEST_F(Runtime, AZoomByHandIsAnnouncedBeforeTheRangeChanges) {
    rt.SetAxisRange(panel, GRAPH, VAL_MANUAL, 0.0, 10.0, VAL_AUTOSCALE, 0.0, 0.0);
    EXPECT_EQ(rt.UserZoomGraph(panel, GRAPH, 2.0, 4.0, -1.0, 1.0), 0);
    EXPECT_EQ(graph_events, (std::vector<GraphEvent>{{EVENT_ZOOM, 0.0, 10.0}}));
    const GraphState& g = ctrl(GRAPH).graph;
    EXPECT_EQ(g.x.mode, VAL_MANUAL);
    EXPECT_EQ(g.y.mode, VAL_MANUAL);
    EXPECT_EQ(std::pair(g.x.min, g.x.max), std::pair(2.0, 4.0));
    for (const double bad : {2.0, double(NAN), double(INFINITY)})
        EXPECT_EQ(rt.UserZoomGraph(panel, GRAPH, 2.0, bad, -1.0, 1.0), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(graph_events.size(), 1u);
}

// A log x axis: the attribute reads back and redraws the graph; points at x <= 0 (the DC bin)
// have no place, neither in the ranges shown nor for the cursor; a manual range reaching 0 or
// below starts at the smallest positive x plotted and comes back whole on a linear axis.
TEST_F(Runtime, ALogXAxisShowsOnlyPositiveX) {
    const double x[] = {0, 0.5, 1, 10, 100}, y[] = {1000, 1, 2, 3, 2};
    const int h = rt.PlotXY(panel, GRAPH, x, y, 5, VAL_THIN_LINE, 0);
    const int redraws = frontend.count(Change::Graph);
    int v = -1;
    EXPECT_EQ(rt.SetCtrlAttribute(panel, GRAPH, ATTR_XAXIS_LOG, 1), 0);
    EXPECT_EQ(rt.GetCtrlAttribute(panel, GRAPH, ATTR_XAXIS_LOG, &v), 0);
    EXPECT_EQ(v, 1);
    EXPECT_TRUE(ctrl(GRAPH).graph.x_log);
    EXPECT_EQ(frontend.count(Change::Graph), redraws + 1);

    using Span = std::pair<double, double>;
    struct Case {
        int mode;
        double lo, hi;
        Span x, y;  // shown
    };
    const double inf = INFINITY;
    for (const Case& c : {
             Case{VAL_AUTOSCALE, 0, 0, {0.5, 100}, {1, 3}},  // the DC bin's 1000 left out
             Case{VAL_MANUAL, 2, 50, {2, 50}, {1, 3}},
             Case{VAL_MANUAL, 0, 50, {0.5, 50}, {1, 3}},
             Case{VAL_MANUAL, 50, -10, {0.5, 50}, {1, 3}},
             Case{VAL_MANUAL, -1, 0.2, {0.0002, 0.2}, {1, 3}},  // nothing plotted below the top
             Case{VAL_MANUAL, -5, -1, {0.5, 100}, {1, 3}},      // no positive part: the data's
             Case{VAL_MANUAL, -inf, 10, {0.5, 10}, {1, 3}},
         }) {
        rt.SetAxisRange(panel, GRAPH, c.mode, c.lo, c.hi, VAL_AUTOSCALE, 0, 0);
        const auto [mode, xs, ys] = shown();
        EXPECT_EQ(mode, c.mode);
        EXPECT_DOUBLE_EQ(xs.first, c.x.first) << c.lo << " " << c.hi;
        EXPECT_DOUBLE_EQ(xs.second, c.x.second) << c.lo << " " << c.hi;
        EXPECT_EQ(ys, c.y) << c.lo << " " << c.hi;
    }
    rt.SetCtrlAttribute(panel, GRAPH, ATTR_XAXIS_LOG, 0);
    EXPECT_EQ(std::get<1>(shown()), Span(-inf, 10.0));
    EXPECT_EQ(std::get<2>(shown()), Span(1.0, 1000.0));

    // The cursor: nearness in decades, never onto the DC bin; the peak search within the view.
    struct Click {
        bool log;
        double x, y;
        std::pair<double, double> lands;
    };
    rt.SetAxisRange(panel, GRAPH, VAL_AUTOSCALE, 0, 0, VAL_AUTOSCALE, 0, 0);
    for (const Click& c :
         {Click{true, 40, 2, {100, 2}}, Click{false, 40, 2, {10, 3}},
          Click{true, 0.01, 1000, {0.5, 1}}, Click{false, 0.01, 1000, {0, 1000}}}) {
        rt.SetCtrlAttribute(panel, GRAPH, ATTR_XAXIS_LOG, c.log ? 1 : 0);
        rt.UserMoveCursor(panel, GRAPH, c.x, c.y, false);
        double cx = 0, cy = 0;
        rt.GetGraphCursor(panel, GRAPH, 1, &cx, &cy);
        EXPECT_EQ(std::pair(cx, cy), c.lands) << c.log << " " << c.x;
        EXPECT_EQ(rt.CursorToPeak(panel, GRAPH, h, false), 0);
        rt.GetGraphCursor(panel, GRAPH, 1, &cx, &cy);
        EXPECT_EQ(std::pair(cx, cy), c.log ? std::pair(10.0, 3.0) : std::pair(0.0, 1000.0));
    }

    // A zoom by hand on the log axis, then back to the range kept before it (as the zoom stack
    // does); a manual range comes back the same way.
    rt.SetCtrlAttribute(panel, GRAPH, ATTR_XAXIS_LOG, 1);
    for (const int mode : {VAL_AUTOSCALE, VAL_MANUAL}) {
        rt.SetAxisRange(panel, GRAPH, mode, 0.0, 50.0, mode, 0.0, 4.0);
        const auto before = shown();
        const auto& [_, xs, ys] = before;
        EXPECT_EQ(rt.UserZoomGraph(panel, GRAPH, 2.0, 20.0, 0.0, 5.0), 0);
        EXPECT_EQ(std::get<1>(shown()), Span(2.0, 20.0));
        rt.SetAxisRange(panel, GRAPH, mode, xs.first, xs.second, mode, ys.first, ys.second);
        EXPECT_EQ(shown(), before) << mode;
    }

    // Nothing to fit: 1 to 10, or a decade either side of a lone point.
    rt.SetAxisRange(panel, GRAPH, VAL_AUTOSCALE, 0, 0, VAL_AUTOSCALE, 0, 0);
    rt.DeleteGraphPlot(panel, GRAPH, -1);
    EXPECT_EQ(std::get<1>(shown()), Span(1.0, 10.0));
    rt.PlotXY(panel, GRAPH, x + 3, y, 1, VAL_THIN_LINE, 0);
    EXPECT_EQ(std::get<1>(shown()), Span(1.0, 100.0));
}

}  // namespace
