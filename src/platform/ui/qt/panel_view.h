// The widgets of one panel, laid out from its boxes: one column of group boxes per column
// index, controls in their order inside a box with captions aligned, row groups side by side,
// and a stretch box (a graph) taking the spare space.
#pragma once

#include <QWidget>

#include <map>
#include <memory>

namespace ui {
struct LayoutBox;
class Runtime;
}  // namespace ui

class QGridLayout;

namespace ui::qt {

class ControlView;
class GraphView;
class UserActions;

class PanelView : public QWidget {
  public:
    PanelView(const Runtime& rt, int panel, UserActions& user, QWidget* parent = nullptr);
    ~PanelView() override;

    int handle() const { return panel_; }
    // The control changed in the model (value, attributes, items, or discarded).
    void sync_control(int ctrl);
    ControlView* control(int ctrl);
    GraphView* graph(int ctrl);
    // The size the resource asks for, in this screen's pixels; empty when natural.
    QSize preferred_size() const;

  private:
    QWidget* build_box(const LayoutBox& box);
    void add_row_group(QGridLayout* grid, int row, const std::vector<int>& ids,
                       bool caption_beside);
    ControlView* make_view(int ctrl, QWidget* parent);
    // A box shows while any of its controls does.
    void sync_box_visibility(size_t box);

    const Runtime& rt_;
    const int panel_;
    UserActions& user_;
    std::map<int, std::unique_ptr<ControlView>> views_;
    std::vector<QWidget*> box_frames_;  // by box index
    std::map<int, size_t> box_of_;      // control id -> box index
};

}  // namespace ui::qt
