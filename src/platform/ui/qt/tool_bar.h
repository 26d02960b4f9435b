// The main window's tool bar: buttons and selectors that are second views of controls on the
// panels (Connect, Configure, Capture & Analyse, the test ring), so the steps people take most
// are a click away whichever panel is in front. A click does what the control's own click does.
#pragma once

#include <QToolBar>

#include <map>
#include <utility>
#include <vector>

namespace ui {
struct ToolbarEntry;
class Runtime;
}  // namespace ui

namespace ui::qt {

class UserActions;

class ToolBar : public QToolBar {
  public:
    ToolBar(const Runtime& rt, UserActions& user, QWidget* parent);

    // Makes the entries' views once every panel they name is loaded; true when built.
    bool build(const std::vector<ToolbarEntry>& entries);
    bool built() const { return built_; }
    // The control changed in the model: its views here follow.
    void sync(int panel, int ctrl);

  private:
    void add(int panel, int ctrl);

    const Runtime& rt_;
    UserActions& user_;
    bool built_ = false;
    bool syncing_ = false;
    std::map<std::pair<int, int>, std::vector<QWidget*>> views_;  // (panel, control) -> widgets
};

}  // namespace ui::qt
