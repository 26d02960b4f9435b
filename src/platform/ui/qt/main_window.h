// The main window: the main panel's title and menu bar, the child panels as sub-windows of a
// workspace (tiled as they open, so none hides another), the standard-output window and the
// console docked below, and a busy indicator that moves while system code holds the program.
#pragma once

#include <QMainWindow>

#include <map>
#include <utility>
#include <vector>

class QAction;
class QDockWidget;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QTimer;

namespace ui {
struct MenuItem;
class Runtime;
}  // namespace ui

namespace ui::qt {

class PanelView;
class ToolBar;
class UserActions;

class MainWindow : public QMainWindow {
  public:
    explicit MainWindow(UserActions& user);

    // The main panel this window shows: its title, menu bar and (above the workspace) any
    // controls of its own.
    void bind(const Runtime& rt, PanelView* view);
    int panel() const { return panel_; }
    // Brings the menus in line with the model: labels, check marks, greyed and removed items.
    void sync_menus();

    // A child panel as a sub-window of the workspace (a dialog when it has no size of its
    // own), or (top_level) another panel with no parent as a window of its own; closing any is
    // reported as the panel's close event.
    QWidget* add_panel(PanelView* view, bool top_level);
    // Shows a panel's window, the first time at the panel's size fitted into the space there
    // is, and brings it to the front.
    void show_panel(QWidget* window, PanelView* view);
    void hide_panel(QWidget* window);
    QMdiArea* workspace() const { return area_; }

    // The console as a dock below the workspace, shown and hidden from the Panels menu.
    void add_console(QWidget* console);
    QDockWidget* console_window() const { return console_dock_; }
    // Shows each panel as a tab of the whole workspace (the first-start layout), side by side,
    // or one behind another.
    void tabs();
    void tile();
    void cascade();
    // Writes DIR/window.png and DIR/<panel>.png for every open panel; false when one cannot
    // be written.
    bool save_screenshots(const QString& dir);

    void append_output(const QString& line);
    QPlainTextEdit* output() const { return output_; }
    QDockWidget* output_window() const { return output_dock_; }

    // Called while system code blocks: shows and moves the busy indicator.
    void pulse_busy();
    QProgressBar* busy_indicator() const { return busy_; }

    QAction* action(int menu_item) const;
    // The tool bar of the main panel's entries; built once the panels they name are loaded.
    ToolBar* tool_bar() const { return tool_bar_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build_menu(QMenu* into, const MenuItem& item, int menubar);
    void sync_action(const MenuItem& item);
    void place(QWidget* window, PanelView* view);
    void place_pending();
    void fit_into_workspace(QMdiSubWindow* sub);
    void add_window_menu();

    UserActions& user_;
    const Runtime* rt_ = nullptr;
    int panel_ = 0;
    int menubar_ = 0;
    QMdiArea* area_;
    QDockWidget* output_dock_;
    QDockWidget* console_dock_ = nullptr;
    QPlainTextEdit* output_;
    QProgressBar* busy_;
    QTimer* busy_idle_;
    ToolBar* tool_bar_ = nullptr;
    std::map<int, QAction*> actions_;        // menu item id -> action (a menu's own action too)
    std::map<int, QMenu*> menus_;            // menu item id -> the menu it opens
    std::map<QObject*, int> panel_windows_;  // sub-window or window -> panel handle
    std::vector<std::pair<QMdiSubWindow*, PanelView*>> pending_;  // to show once laid out
};

}  // namespace ui::qt
