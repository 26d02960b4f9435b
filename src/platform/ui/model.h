// The retained model of panels, controls, menus and graphs. The run-time owns it; front-ends
// read it to draw and report user actions back through the run-time.
#pragma once

#include <string>
#include <variant>
#include <vector>

namespace ui {

enum class CtrlType {
    Numeric,   // int or real entry / read-out
    Text,      // one-line text entry / read-out
    Toggle,    // on/off button or switch (value 0 or 1)
    Ring,      // drop-down of list items; value = selected item's value
    ListBox,   // visible list of items; value = selected item's value
    TextBox,   // multi-line text
    Command,   // push button
    Led,       // on/off indicator
    Progress,  // progress bar (0..max)
    Label,     // static text
    Graph,     // plot area with cursor 1
    Timer,     // invisible periodic timer
};

using Value = std::variant<int, double, std::string>;

struct ListItem {
    std::string label;
    int value = 0;
    std::string shortcut;  // ring: key sequence that chooses this item, e.g. "Ctrl+3"
};

enum class PlotKind { Line, Bars, Segment, Text };

struct Plot {
    int handle = 0;
    PlotKind kind = PlotKind::Line;
    std::vector<double> x;  // empty: y is plotted against its index
    std::vector<double> y;
    std::string text;  // PlotKind::Text
    std::string name;  // in the legend; empty: not in it
    int colour = 0;
};

struct Axis {
    int mode = 1;  // AxisMode
    double min = 0.0;
    double max = 10.0;
};

struct GraphState {
    std::vector<Plot> plots;
    int next_plot = 1;
    Axis x, y;
    // A logarithmic x axis shows no point at x <= 0 (the DC bin of a spectrum, an index 0).
    bool x_log = false;
    std::string xname, yname;
    double cursor_x = 0.0, cursor_y = 0.0;
    int cursor_mode = 0;  // CursorMode
    bool refresh = true;  // false while drawing is deferred
    int generation = 0;   // bumped on every change, front-ends redraw when it moves
};

struct Control {
    int id = 0;
    std::string name;  // identifier in the resource file
    CtrlType type = CtrlType::Label;
    bool is_real = false;    // numeric: real (true) or integer
    bool indicator = false;  // read-out only
    std::string label;
    std::string callback;  // name bound through the callback registry
    Value value = 0;
    bool dimmed = false;
    bool visible = true;
    int text_colour = 0x000000;
    int on_colour = 0x00C000;
    int width = 0;           // 0: front-end default
    bool monospace = false;  // list box or text box lines in a fixed-pitch font (columns)
    int rows = 0;            // list box: lines shown at once; 0: front-end default
    int precision = 3;
    bool hex = false;  // numeric shown as hexadecimal
    int hex_digits = 0;
    double min = -1e300, max = 1e300;
    int max_length = 0;  // text entry; 0 unlimited
    std::string on_text = "On", off_text = "Off";
    std::string units;
    std::vector<ListItem> items;     // ring, list box
    int index = -1;                  // selected item of a ring or list box
    std::vector<std::string> lines;  // text box
    GraphState graph;
    double interval = 1.0;  // timer, seconds
    bool enabled = true;    // timer
    int row = -1;           // layout: row group inside its box, -1 none
    std::string shortcut;   // command or toggle: key sequence that presses it, e.g. "F3"
};

struct LayoutBox {
    std::string title;
    int column = 0;
    std::vector<int> controls;  // control ids in order
    std::vector<int> rows;      // row group of each control (-1: own line)
    bool stretch = false;       // takes the spare space (graphs)
    // A row's first caption stands left of its field, lined up with the box's other captions,
    // rather than above it: read-out lists stay one line a figure.
    bool captions_beside = false;
};

// A tool-bar button or selector: another view of a control of some panel, named by the
// panel's and the control's names.
struct ToolbarEntry {
    std::string panel, control;
};

struct Panel {
    int handle = 0;
    int parent = 0;
    std::string resource;  // file name it was loaded from
    std::string name;      // constant prefix of its controls
    std::string title;
    std::string callback;
    bool visible = false;
    int width = 0, height = 0;  // preferred size, pixels at 96 dpi; 0 = natural
    int menubar = 0;
    std::vector<Control> controls;
    std::vector<LayoutBox> boxes;
    std::vector<ToolbarEntry> toolbar;  // the main panel's tool bar, in order
};

struct MenuItem {
    int id = 0;
    std::string name;
    std::string label;
    std::string callback;
    std::string shortcut;
    bool separator = false;
    bool checked = false;
    bool dimmed = false;
    std::vector<MenuItem> items;  // a menu's items; empty for a leaf
};

struct MenuBar {
    int handle = 0;
    int panel = 0;
    std::string name;
    std::vector<MenuItem> menus;
};

}  // namespace ui
