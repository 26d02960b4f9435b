#include "platform/ui/qt/panel_view.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <set>

#include "platform/ui/qt/control_view.h"
#include "platform/ui/qt/look.h"
#include "platform/ui/runtime.h"

namespace ui::qt {

namespace {

// Widgets that read better at their natural width than stretched across the box.
bool keeps_natural_width(CtrlType t) {
    switch (t) {
        case CtrlType::Text:
        case CtrlType::ListBox:
        case CtrlType::TextBox:
        case CtrlType::Progress:
            return false;
        default:
            return true;
    }
}

constexpr int kMargin = 10;

}  // namespace

PanelView::PanelView(const Runtime& rt, int panel, UserActions& user, QWidget* parent)
    : QWidget(parent), rt_(rt), panel_(panel), user_(user) {
    const Panel* p = rt.panel(panel);
    setObjectName(QString::fromStdString(p->name));

    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    columns->setSpacing(10);
    std::map<int, bool> column_stretch;  // column index -> holds a stretch box
    for (const LayoutBox& b : p->boxes) column_stretch[b.column] |= b.stretch;
    std::map<int, QVBoxLayout*> column_layouts;
    bool any_stretch = false;
    for (auto [index, stretch] : column_stretch) {
        auto* col = new QVBoxLayout;
        col->setSpacing(10);
        columns->addLayout(col, stretch ? 1 : 0);
        column_layouts[index] = col;
        any_stretch |= stretch;
    }
    for (size_t i = 0; i < p->boxes.size(); ++i) {
        const LayoutBox& b = p->boxes[i];
        for (int ctrl : b.controls) box_of_[ctrl] = i;
        box_frames_.push_back(build_box(b));
        column_layouts[b.column]->addWidget(box_frames_.back(), b.stretch ? 1 : 0);
        sync_box_visibility(i);
    }
    for (auto [index, col] : column_layouts)
        if (!column_stretch[index]) col->addStretch(1);
    if (!any_stretch) columns->addStretch(1);

    // Controls outside the boxes (timers) have no place in the layout.
    for (const Control& c : p->controls)
        if (c.id != 0 && !views_.count(c.id)) make_view(c.id, this);
}

PanelView::~PanelView() = default;

ControlView* PanelView::make_view(int ctrl, QWidget* parent) {
    const Control* c = rt_.control(panel_, ctrl);
    auto view = make_control_view(rt_, panel_, *c, user_, parent);
    ControlView* raw = view.get();
    views_[ctrl] = std::move(view);
    return raw;
}

QWidget* PanelView::build_box(const LayoutBox& box) {
    QWidget* frame;
    if (box.title.empty()) {
        frame = new QWidget(this);
    } else {
        frame = new QGroupBox(QString::fromStdString(box.title), this);
    }
    auto* grid = new QGridLayout(frame);
    if (box.title.empty()) grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(1, 1);

    int row = 0;
    bool after_row_group = false;  // a lone button lines up with what is above it
    for (size_t i = 0; i < box.controls.size();) {
        const int ctrl = box.controls[i];
        if (!rt_.control(panel_, ctrl)) {  // discarded before the panel was first drawn
            ++i;
            continue;
        }
        if (box.rows[i] >= 0) {
            std::vector<int> group;
            const int id = box.rows[i];
            for (; i < box.controls.size() && box.rows[i] == id; ++i)
                if (rt_.control(panel_, box.controls[i])) group.push_back(box.controls[i]);
            add_row_group(grid, row++, group, box.captions_beside);
            after_row_group = true;
            continue;
        }
        ++i;
        ControlView* v = make_view(ctrl, frame);
        const CtrlType type = rt_.control(panel_, ctrl)->type;
        switch (v->placement()) {
            case ControlView::Placement::Field: {
                const bool tall = type == CtrlType::ListBox || type == CtrlType::TextBox;
                grid->addWidget(v->caption(), row, 0,
                                Qt::AlignLeft | (tall ? Qt::AlignTop : Qt::AlignVCenter));
                // The units right after the field; a field that reads better narrow keeps its
                // width and leaves the rest of the line empty.
                auto* cell = new QHBoxLayout;
                cell->setSpacing(6);
                const bool grows = !keeps_natural_width(type);
                cell->addWidget(v->widget(), grows ? 1 : 0);
                if (v->units()) cell->addWidget(v->units());
                if (!grows) cell->addStretch(1);
                grid->addLayout(cell, row, 1);
                break;
            }
            case ControlView::Placement::Button:
                if (after_row_group)
                    grid->addWidget(v->widget(), row, 0, 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
                else
                    grid->addWidget(v->widget(), row, 1, Qt::AlignLeft | Qt::AlignVCenter);
                break;
            case ControlView::Placement::Wide:
                grid->addWidget(v->widget(), row, 0, 1, 2);
                break;
            case ControlView::Placement::Stretch:
                grid->addWidget(v->widget(), row, 0, 1, 2);
                grid->setRowStretch(row, 1);
                break;
            case ControlView::Placement::None:
                continue;
        }
        after_row_group = after_row_group && v->placement() == ControlView::Placement::Button;
        ++row;
    }
    return frame;
}

void PanelView::add_row_group(QGridLayout* grid, int row, const std::vector<int>& ids,
                              bool caption_beside) {
    QWidget* parent = grid->parentWidget();
    auto* line = new QHBoxLayout;
    line->setSpacing(12);
    for (size_t i = 0; i < ids.size(); ++i) {
        ControlView* v = make_view(ids[i], parent);
        if (v->placement() == ControlView::Placement::None) continue;
        if (!v->caption()) {
            line->addWidget(v->widget(), 0, caption_beside ? Qt::AlignVCenter : Qt::AlignBottom);
            continue;
        }
        if (caption_beside && i == 0) {
            grid->addWidget(v->caption(), row, 0, Qt::AlignLeft | Qt::AlignVCenter);
            line->addWidget(v->widget());
            if (v->units()) line->addWidget(v->units());
            continue;
        }
        // Caption above the field, units after it.
        auto* cell = new QGridLayout;
        cell->setHorizontalSpacing(4);
        cell->setVerticalSpacing(2);
        cell->addWidget(v->caption(), 0, 0, 1, 2, Qt::AlignLeft | Qt::AlignBottom);
        cell->addWidget(v->widget(), 1, 0);
        if (v->units()) cell->addWidget(v->units(), 1, 1, Qt::AlignLeft);
        line->addLayout(cell);
    }
    line->addStretch(1);
    if (caption_beside)
        grid->addLayout(line, row, 1);
    else
        grid->addLayout(line, row, 0, 1, 2);
}

void PanelView::sync_control(int ctrl) {
    if (ControlView* v = control(ctrl)) v->resync();
    if (auto it = box_of_.find(ctrl); it != box_of_.end()) sync_box_visibility(it->second);
}

void PanelView::sync_box_visibility(size_t box) {
    bool any = false;
    for (int ctrl : rt_.panel(panel_)->boxes[box].controls) {
        const Control* c = rt_.control(panel_, ctrl);
        any |= c && c->visible;
    }
    box_frames_[box]->setVisible(any);
    // A panel whose boxes are all hidden takes no room, margins included (the main window's
    // own controls show only while they are in use).
    bool shown = false;
    for (size_t b = 0; b < box_frames_.size(); ++b)
        shown |= b == box ? any : !box_frames_[b]->isHidden();
    const int margin = shown ? kMargin : 0;
    layout()->setContentsMargins(margin, margin, margin, margin);
}

ControlView* PanelView::control(int ctrl) {
    auto it = views_.find(ctrl);
    return it == views_.end() ? nullptr : it->second.get();
}

GraphView* PanelView::graph(int ctrl) {
    ControlView* v = control(ctrl);
    return v ? v->graph() : nullptr;
}

QSize PanelView::preferred_size() const {
    const Panel* p = rt_.panel(panel_);
    if (!p || p->width <= 0 || p->height <= 0) return {};
    return {scaled(this, p->width), scaled(this, p->height)};
}

}  // namespace ui::qt
