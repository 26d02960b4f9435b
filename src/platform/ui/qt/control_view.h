// The widgets of one control, made from its type in the model and kept in line with it: value,
// dimmed, visible, label, colours, width, list items. What a person does with them goes to the
// front-end's UserActions. One class per control type, behind one face, so a panel lays out
// and updates any control the same way.
#pragma once

#include <memory>

class QLabel;
class QObject;
class QWidget;

namespace ui {
struct Control;
class Runtime;
}  // namespace ui

namespace ui::qt {

class GraphView;
class UserActions;

class ControlView {
  public:
    // Where a panel's layout puts the control.
    enum class Placement {
        Field,    // caption, widget, units side by side, captions aligned in a column
        Button,   // in the widget column, no caption
        Wide,     // across the whole box
        Stretch,  // across the whole box, taking the spare height (graphs)
        None,     // nothing to lay out (timers)
    };

    virtual ~ControlView() = default;

    // Brings the widgets in line with the control; null when it has been discarded.
    void sync(const Control* c);
    // The same, reading the control from the model.
    void resync();

    Placement placement() const { return placement_; }
    QLabel* caption() const { return caption_; }
    QWidget* widget() const { return widget_; }
    QLabel* units() const { return units_; }
    virtual GraphView* graph() { return nullptr; }

  protected:
    ControlView(const Runtime& rt, int panel, const Control& c, UserActions& user);
    // The type's own part of sync: the value and what only this type has.
    virtual void sync_value(const Control& c) = 0;
    // The control was discarded: stop whatever runs on its own.
    virtual void discarded() {}
    // Whether the caption column shows the control's label.
    virtual bool shows_caption(const Control& c) const;
    // Finishes construction: caption and units labels, right-click reporting.
    void set_widget(QWidget* w, Placement placement, bool with_units, QWidget* parent);

    const Runtime& rt_;
    const int panel_, id_;
    UserActions& user_;
    // True while sync writes into the widgets, whose signals must not count as a person's.
    bool syncing_ = false;

  private:
    void apply_common(const Control& c);
    void apply_text_colour(int rgb);

    Placement placement_ = Placement::Field;
    QWidget* widget_ = nullptr;
    QLabel* caption_ = nullptr;
    QLabel* units_ = nullptr;
    int text_colour_ = 0;
    int width_ = 0;
};

// The view for the control's type; its widgets are children of parent (a timer's QTimer too).
std::unique_ptr<ControlView> make_control_view(const Runtime& rt, int panel, const Control& c,
                                               UserActions& user, QWidget* parent);

}  // namespace ui::qt
