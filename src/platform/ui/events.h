// Event codes, attributes and constant values of the panel run-time. The numbers of the events
// are fixed: callbacks compare against them.
#pragma once

namespace ui {

enum Event : int {
    EVENT_NONE = 0,
    EVENT_COMMIT = 1,
    EVENT_VAL_CHANGED = 2,
    EVENT_RIGHT_CLICK = 5,
    EVENT_CLOSE = 11,
    EVENT_TIMER_TICK = 15,
    EVENT_ZOOM = 30,  // a graph's range is about to change by the wheel or a drag
};

enum Attr : int {
    ATTR_DIMMED = 1,
    ATTR_VISIBLE,
    ATTR_LABEL_TEXT,  // control label; a graph's title
    ATTR_TEXT_COLOR,
    ATTR_ON_COLOR,  // colour of a toggle or LED when on
    ATTR_WIDTH,
    ATTR_PRECISION,
    ATTR_ON_TEXT,
    ATTR_OFF_TEXT,
    ATTR_MIN_VALUE,
    ATTR_MAX_VALUE,
    ATTR_MAX_ENTRY_LENGTH,
    ATTR_INTERVAL,  // timer controls, seconds
    ATTR_ENABLED,   // timer controls
    ATTR_XNAME,
    ATTR_YNAME,
    ATTR_REFRESH_GRAPH,  // 0 defers graph drawing until set back to 1
    ATTR_TITLE,          // panel title
    ATTR_CHECKED,        // menu items
    ATTR_CURSOR_MODE,    // graph cursors
    ATTR_UNITS_TEXT,     // unit text shown beside a numeric read-out
    ATTR_PLOT_LG_TEXT,   // a plot's name in its graph's legend
    ATTR_XAXIS_LOG,      // a graph's x axis: 1 logarithmic, 0 linear (the default)
};

enum AxisMode : int { VAL_MANUAL = 0, VAL_AUTOSCALE = 1 };
enum CursorMode : int { VAL_SNAP_TO_POINT = 0, VAL_FREE_FORM = 1 };
enum PlotStyle : int { VAL_THIN_LINE = 0, VAL_VERTICAL_BAR = 1, VAL_SCATTER = 2 };
enum MouseCursor : int { VAL_DEFAULT_CURSOR = 0, VAL_HOUR_GLASS_CURSOR = 1 };
enum FileSelectButton : int { VAL_LOAD_BUTTON = 0, VAL_SAVE_BUTTON = 1, VAL_SELECT_BUTTON = 2 };
enum FileSelectResult : int {
    VAL_NO_FILE_SELECTED = 0,
    VAL_EXISTING_FILE_SELECTED = 1,
    VAL_NEW_FILE_SELECTED = 2,
};
enum HelpMode : int { HELP_CONTENTS = 0, HELP_SEARCH = 1 };

// Colours are 0xRRGGBB.
enum Colour : int {
    VAL_BLACK = 0x000000,
    VAL_WHITE = 0xFFFFFF,
    VAL_RED = 0xFF0000,
    VAL_GREEN = 0x00FF00,
    VAL_BLUE = 0x0000FF,
    VAL_YELLOW = 0xFFFF00,
    VAL_CYAN = 0x00FFFF,
    VAL_MAGENTA = 0xFF00FF,
    VAL_GRAY = 0x808080,
};

// Failure results of the run-time's calls.
enum Status : int {
    UIE_OK = 0,
    UIE_NO_SUCH_PANEL = -1,
    UIE_NO_SUCH_CONTROL = -2,
    UIE_BAD_RESOURCE = -3,
    UIE_FILE_NOT_FOUND = -4,
    UIE_WRONG_TYPE = -5,
    UIE_INDEX_OUT_OF_RANGE = -6,
    UIE_NO_SUCH_ITEM = -7,
};

}  // namespace ui
