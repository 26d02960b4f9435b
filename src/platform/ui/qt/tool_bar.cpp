#include "platform/ui/qt/tool_bar.h"

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

#include "platform/ui/qt/user_actions.h"
#include "platform/ui/runtime.h"

namespace ui::qt {

namespace {

int panel_named(const Runtime& rt, const std::string& name) {
    for (int h : rt.panel_handles())
        if (rt.panel(h)->name == name) return h;
    return 0;
}

}  // namespace

ToolBar::ToolBar(const Runtime& rt, UserActions& user, QWidget* parent)
    : QToolBar(tr("Tools"), parent), rt_(rt), user_(user) {
    setObjectName(QStringLiteral("ToolBar"));
    setMovable(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

bool ToolBar::build(const std::vector<ToolbarEntry>& entries) {
    if (built_) return true;
    std::vector<std::pair<int, int>> found;
    for (const ToolbarEntry& e : entries) {
        const int panel = panel_named(rt_, e.panel);
        const int ctrl = panel ? rt_.control_id(panel, e.control) : 0;
        if (ctrl <= 0) return false;  // its panel is not loaded yet
        found.emplace_back(panel, ctrl);
    }
    for (auto [panel, ctrl] : found) add(panel, ctrl);
    built_ = true;
    return true;
}

void ToolBar::add(int panel, int ctrl) {
    const Control* c = rt_.control(panel, ctrl);
    const QString name = QString::fromStdString(rt_.panel(panel)->name + "_" + c->name);
    std::vector<QWidget*>& views = views_[{panel, ctrl}];
    if (c->type == CtrlType::Ring) {
        auto* caption = new QLabel(this);
        caption->setObjectName(name + "_caption");
        caption->setContentsMargins(8, 0, 4, 0);
        auto* combo = new QComboBox(this);
        combo->setObjectName(name);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        connect(combo, &QComboBox::activated, this, [this, panel, ctrl](int index) {
            if (syncing_) return;
            user_.set_index(panel, ctrl, index);
            sync(panel, ctrl);
        });
        addWidget(caption);
        addWidget(combo);
        views = {caption, combo};
    } else {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setCheckable(c->type == CtrlType::Toggle);
        connect(button, &QToolButton::clicked, this, [this, panel, ctrl, button](bool on) {
            if (syncing_) return;
            if (button->isCheckable())
                user_.set_value(panel, ctrl, on ? 1 : 0);
            else
                user_.commit(panel, ctrl);
            sync(panel, ctrl);
        });
        addWidget(button);
        views = {button};
    }
    sync(panel, ctrl);
}

void ToolBar::sync(int panel, int ctrl) {
    auto it = views_.find({panel, ctrl});
    if (it == views_.end()) return;
    const Control* c = rt_.control(panel, ctrl);
    syncing_ = true;
    for (QWidget* w : it->second) {
        w->setEnabled(c && !c->dimmed);
        if (!c) continue;
        if (auto* caption = qobject_cast<QLabel*>(w)) {
            caption->setText(QString::fromStdString(c->label));
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            if (combo->count() != static_cast<int>(c->items.size())) combo->clear();
            for (size_t i = 0; i < c->items.size(); ++i) {
                const QString label = QString::fromStdString(c->items[i].label);
                if (static_cast<int>(i) < combo->count())
                    combo->setItemText(static_cast<int>(i), label);
                else
                    combo->addItem(label);
            }
            combo->setCurrentIndex(c->index);
        } else if (auto* button = qobject_cast<QToolButton*>(w)) {
            const int* value = std::get_if<int>(&c->value);
            const bool on = button->isCheckable() && value && *value != 0;
            const std::string& text =
                button->isCheckable() ? (on ? c->on_text : c->off_text) : c->label;
            button->setText(QString::fromStdString(text.empty() ? c->label : text));
            button->setChecked(on);
        }
    }
    syncing_ = false;
}

}  // namespace ui::qt
