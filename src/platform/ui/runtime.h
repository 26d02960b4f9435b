// The panel run-time: panels loaded from resource files, controls, lists, menus, graphs,
// popups, timers, the clock and a few file helpers. System code calls these by the names
// engineers know from the toolkit; front-ends draw the model and feed user actions back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/ui/callbacks.h"
#include "platform/ui/events.h"
#include "platform/ui/frontend.h"
#include "platform/ui/model.h"

namespace ui {

enum AxisChange : int { VAL_NO_CHANGE = 2 };

class Runtime {
  public:
    Runtime(platform::Clock& clock, Frontend& frontend, CallbackRegistry& callbacks,
            std::string resource_dir);
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // --- Panels -------------------------------------------------------------------------
    // Handle > 0, or a negative status when the file is missing or malformed.
    int LoadPanel(int parent, const std::string& file);
    int DisplayPanel(int panel);
    int HidePanel(int panel);
    int SetActivePanel(int panel);
    int SetPanelAttribute(int panel, int attr, const std::string& value);
    int GetPanelAttribute(int panel, int attr, std::string* value) const;

    int SetCtrlVal(int panel, int ctrl, int value);
    int SetCtrlVal(int panel, int ctrl, double value);
    int SetCtrlVal(int panel, int ctrl, const std::string& value);
    int SetCtrlVal(int panel, int ctrl, const char* value) {
        return SetCtrlVal(panel, ctrl, std::string(value));
    }
    int GetCtrlVal(int panel, int ctrl, int* value) const;
    int GetCtrlVal(int panel, int ctrl, double* value) const;
    int GetCtrlVal(int panel, int ctrl, std::string* value) const;

    int SetCtrlAttribute(int panel, int ctrl, int attr, int value);
    int SetCtrlAttribute(int panel, int ctrl, int attr, double value);
    int SetCtrlAttribute(int panel, int ctrl, int attr, const std::string& value);
    int SetCtrlAttribute(int panel, int ctrl, int attr, const char* value) {
        return SetCtrlAttribute(panel, ctrl, attr, std::string(value));
    }
    int GetCtrlAttribute(int panel, int ctrl, int attr, int* value) const;
    int GetCtrlAttribute(int panel, int ctrl, int attr, std::string* value) const;
    int DiscardCtrl(int panel, int ctrl);
    int GetCtrlIndex(int panel, int ctrl, int* index) const;
    int SetCtrlIndex(int panel, int ctrl, int index);

    // --- Lists and text boxes -----------------------------------------------------------
    int ClearListCtrl(int panel, int ctrl);
    // index -1 appends.
    int InsertListItem(int panel, int ctrl, int index, const std::string& label, int value);
    // count -1 deletes to the end.
    int DeleteListItem(int panel, int ctrl, int index, int count);
    int GetNumListItems(int panel, int ctrl, int* count) const;
    int GetIndexFromValue(int panel, int ctrl, int* index, int value) const;
    int GetValueFromIndex(int panel, int ctrl, int index, int* value) const;
    int GetLabelFromIndex(int panel, int ctrl, int index, std::string* label) const;
    int ResetTextBox(int panel, int ctrl, const std::string& text);
    // line -1 appends.
    int InsertTextBoxLine(int panel, int ctrl, int line, const std::string& text);

    // --- Menus --------------------------------------------------------------------------
    int GetPanelMenuBar(int panel) const;
    int SetMenuBarAttribute(int menubar, int item, int attr, int value);
    int GetMenuBarAttribute(int menubar, int item, int attr, int* value) const;
    // Removes a whole menu (or an item) and what it holds.
    int DiscardMenu(int menubar, int item);

    // --- Graphs -------------------------------------------------------------------------
    int PlotY(int panel, int ctrl, const double* y, int n, int style, int colour);
    int PlotY(int panel, int ctrl, const std::int32_t* y, int n, int style, int colour);
    int PlotXY(int panel, int ctrl, const double* x, const double* y, int n, int style, int colour);
    int PlotXY(int panel, int ctrl, const double* x, const std::int32_t* y, int n, int style,
               int colour);
    int PlotXY(int panel, int ctrl, const std::int32_t* x, const std::int32_t* y, int n, int style,
               int colour);
    int PlotLine(int panel, int ctrl, double x1, double y1, double x2, double y2, int colour);
    int PlotText(int panel, int ctrl, double x, double y, const std::string& text, int colour);
    // plot -1 deletes every plot.
    int DeleteGraphPlot(int panel, int ctrl, int plot);
    // A graph's x axis turns logarithmic with ATTR_XAXIS_LOG 1: points at x <= 0 are not
    // shown and do not count towards autoscaled ranges. A manual x range there that reaches down
    // to 0 or below is kept as set but shown from the smallest positive x plotted (three decades
    // below its top when there is none, the data's span when its top is not above 0 either).
    int SetAxisRange(int panel, int ctrl, int xmode, double xmin, double xmax, int ymode,
                     double ymin, double ymax);
    // What is shown: for an autoscaled axis the range the data spans; positive on a log axis.
    int GetAxisRange(int panel, int ctrl, int* xmode, double* xmin, double* xmax, int* ymode,
                     double* ymin, double* ymax) const;
    int GetGraphCursor(int panel, int ctrl, int cursor, double* x, double* y) const;
    int SetGraphCursor(int panel, int ctrl, int cursor, double x, double y);
    int SetCursorAttribute(int panel, int ctrl, int cursor, int attr, int value);
    // ATTR_PLOT_LG_TEXT: the plot's name in the graph's legend (none: not in the legend).
    int SetPlotAttribute(int panel, int ctrl, int plot, int attr, const std::string& text);
    // Moves cursor 1 onto the highest peak of the plot within the x axis' range or, with
    // next, onto the highest peak below the cursor's level: 0 when it moved, 1 when there is
    // no such peak.
    int CursorToPeak(int panel, int ctrl, int plot, bool next);

    // --- Popups -------------------------------------------------------------------------
    int MessagePopup(const std::string& title, const std::string& text);
    int ConfirmPopup(const std::string& title, const std::string& text);
    // 0 when answered; negative when cancelled. The answer is cut to max_length characters.
    int PromptPopup(const std::string& title, const std::string& text, std::string* answer,
                    int max_length);
    int FileSelectPopup(const std::string& directory, const std::string& default_name,
                        const std::string& pattern, const std::string& title, int button,
                        bool restrict_extension, std::string* path);

    // --- Events and time ----------------------------------------------------------------
    int RunUserInterface();
    int QuitUserInterface(int result);
    bool quitting() const { return quitting_; }
    int ProcessSystemEvents();
    // Waits for the next user event: its code, with its panel and control.
    int GetUserEvent(int* panel, int* ctrl);
    int SuspendTimerCallbacks();
    int ResumeTimerCallbacks();
    bool timers_suspended() const { return timers_suspended_; }
    // Fractional seconds since its first call.
    double Timer();
    void Delay(double seconds);
    void SetMouseCursor(int cursor);
    // Progress of a long operation, shown in a window with a cancel button while system code
    // holds the program: 0 to carry on, 1 once the person cancelled. EndProgress closes it.
    int UpdateProgress(const std::string& title, const std::string& text, double fraction);
    void EndProgress();

    // --- Files and text -----------------------------------------------------------------
    const std::string& GetProjectDir() const { return project_dir_; }
    void set_project_dir(const std::string& dir) { project_dir_ = dir; }
    static std::string MakePathname(const std::string& dir, const std::string& file);
    // 1 when the file exists (its size in *size), 0 when it does not.
    static int GetFileInfo(const std::string& path, long* size);
    std::string DateStr() const;  // "YYYY-MM-DD", ISO 8601
    std::string TimeStr() const;  // "HH:MM:SS"
    // Lines to the standard-output window.
    void Print(const std::string& text);
    const std::vector<std::string>& stdout_lines() const { return stdout_lines_; }

    // --- Print, clipboard, help ---------------------------------------------------------
    int SetPrintLowResolution(bool low) {
        print_low_res_ = low;
        return 0;
    }
    int PrintPanel(int panel);
    int PrintCtrl(int panel, int ctrl);
    int ClipboardPutPanelBitmap(int panel);
    // A self-contained HTML document as PDF bytes; non-zero where the front-end cannot.
    int HtmlToPdf(const std::string& html, std::string* pdf);
    int SystemHelp(const std::string& path, int mode);

    // --- Bindings -----------------------------------------------------------------------
    // A bound field holds its control's value: it takes it when bound and after every change
    // of the control, by code or by a person. Code that writes the field itself (a data-file
    // load, a command-line option) then calls ShowBound so the control shows it; the control
    // may coerce it, and the field takes what the control holds.
    struct Binding {
        int panel = 0;
        int ctrl = 0;
        std::variant<int*, double*, std::string*> field;
    };
    int Bind(int panel, int ctrl, int* field);
    int Bind(int panel, int ctrl, double* field);
    int Bind(int panel, int ctrl, std::string* field);
    int ShowBound(const void* field);
    // The control a field is bound to; null when it is bound to none.
    const Binding* binding_of(const void* field) const;
    // The control a field is bound to, for its description (items, format, label); null when
    // the field is bound to none.
    const Control* bound_control(const void* field) const;

    // --- Model access for front-ends and tests ------------------------------------------
    const Panel* panel(int handle) const;
    const Control* control(int panel, int ctrl) const;
    int control_id(int panel, const std::string& name) const;
    const MenuBar* menubar(int handle) const;
    const MenuItem* menu_item(int menubar, int item) const;
    std::vector<int> panel_handles() const;
    const CallbackRegistry& callbacks() const { return callbacks_; }
    platform::Clock& clock() { return clock_; }
    Frontend& frontend() { return frontend_; }

    // --- User actions (front-ends call these) -------------------------------------------
    // Sets a value as a person would and raises value-changed then commit.
    int UserSetValue(int panel, int ctrl, const Value& value);
    int UserSetIndex(int panel, int ctrl, int index);
    int UserCommit(int panel, int ctrl);
    int UserRightClick(int panel, int ctrl);
    int UserClosePanel(int panel);
    int UserMenu(int menubar, int item);
    // A click on a graph: moves cursor 1 (snapping in snap mode) and raises commit.
    int UserMoveCursor(int panel, int ctrl, double x, double y, bool raise_commit = true);
    // A wheel or drag zoom on a graph: raises EVENT_ZOOM while the graph still shows its old
    // range (so the callback can keep it), then shows the new range on manual axes.
    int UserZoomGraph(int panel, int ctrl, double xmin, double xmax, double ymin, double ymax);
    // A timer control's period elapsed; dropped while suspended or while a callback runs.
    int TimerTick(int panel, int ctrl);
    // How deep callbacks are nested right now.
    int callback_depth() const { return depth_; }

  private:
    Panel* panel_mut(int handle);
    Control* ctrl_mut(int panel, int ctrl);
    MenuItem* menu_item_mut(int menubar, int item);
    int call_ctrl(int panel, int ctrl, int event);
    void notify(Change::Kind kind, int panel, int ctrl = 0);
    void graph_changed(int panel, Control& c);
    template <class X, class Y>
    int add_plot(int panel, int ctrl, const X* x, const Y* y, int n, int style, int colour);
    void snap_cursor(Control& c);
    template <class T>
    int bind_as(int panel, int ctrl, T* field);
    void take_bound(int panel, int ctrl);

    platform::Clock& clock_;
    Frontend& frontend_;
    CallbackRegistry& callbacks_;
    std::string resource_dir_;
    std::string project_dir_;
    std::vector<std::unique_ptr<Panel>> panels_;  // index = handle - 1
    std::vector<std::unique_ptr<MenuBar>> menubars_;
    std::vector<Binding> bindings_;
    bool quitting_ = false;
    int quit_result_ = 0;
    bool timers_suspended_ = false;
    int depth_ = 0;
    bool timer_started_ = false;
    double timer_origin_ = 0.0;
    double last_keep_alive_ = -1.0;
    bool print_low_res_ = false;
    std::vector<std::string> stdout_lines_;
    std::string stdout_partial_;
};

}  // namespace ui
