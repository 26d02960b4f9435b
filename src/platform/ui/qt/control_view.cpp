#include "platform/ui/qt/control_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/ui/qt/graph_view.h"
#include "platform/ui/qt/look.h"
#include "platform/ui/qt/number_edit.h"
#include "platform/ui/qt/user_actions.h"
#include "platform/ui/runtime.h"

namespace ui::qt {

namespace {

double number_of(const Value& v) {
    if (auto i = std::get_if<int>(&v)) return *i;
    if (auto d = std::get_if<double>(&v)) return *d;
    return 0.0;
}

QString text_of(const Value& v) {
    if (auto s = std::get_if<std::string>(&v)) return QString::fromStdString(*s);
    return QString();
}

// Reports a right button press on a widget (and the widgets inside it) without taking it.
class RightClickFilter : public QObject {
  public:
    RightClickFilter(std::function<void()> fn, QObject* parent)
        : QObject(parent), fn_(std::move(fn)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(e)->button() == Qt::RightButton)
            fn_();
        return QObject::eventFilter(watched, e);
    }

  private:
    std::function<void()> fn_;
};

// Binds keys (e.g. "F3") window-wide to act, which runs only while owner is shown and not
// dimmed. The shortcut belongs to owner.
QShortcut* bind_key(const std::string& keys, QWidget* owner, std::function<void()> act) {
    auto* key = new QShortcut(QKeySequence(QString::fromStdString(keys)), owner);
    QObject::connect(key, &QShortcut::activated, [owner, act = std::move(act)] {
        if (owner->isVisible() && owner->isEnabled()) act();
    });
    return key;
}

QString key_text(const QShortcut* key) {
    return key->key().toString(QKeySequence::NativeText);
}

}  // namespace

// --- common part -------------------------------------------------------------------------

ControlView::ControlView(const Runtime& rt, int panel, const Control& c, UserActions& user)
    : rt_(rt), panel_(panel), id_(c.id), user_(user) {}

void ControlView::set_widget(QWidget* w, Placement placement, bool with_units, QWidget* parent) {
    widget_ = w;
    placement_ = placement;
    const Control* c = rt_.control(panel_, id_);
    if (w) {
        w->setObjectName(QString::fromStdString(c->name));
        if (placement == Placement::Field) {
            caption_ = new QLabel(parent);
            caption_->setObjectName(w->objectName() + "_caption");
            caption_->setBuddy(w);
        }
        if (with_units) {
            units_ = new QLabel(parent);
            units_->setObjectName(w->objectName() + "_units");
        }
        // A button's key presses it wherever the window has the focus; the tool tip tells it.
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && !c->shortcut.empty())
            button->setToolTip(
                key_text(bind_key(c->shortcut, button, [button] { button->click(); })));
        if (!c->callback.empty() && !graph()) {
            auto* filter = new RightClickFilter([this] { user_.right_click(panel_, id_); }, w);
            w->installEventFilter(filter);
            for (QWidget* child : w->findChildren<QWidget*>()) child->installEventFilter(filter);
        }
    }
    sync(c);
}

bool ControlView::shows_caption(const Control& c) const {
    return !c.label.empty();
}

void ControlView::resync() {
    sync(rt_.control(panel_, id_));
}

void ControlView::sync(const Control* c) {
    const bool outer = syncing_;
    syncing_ = true;
    if (!c) {
        for (QWidget* w : {static_cast<QWidget*>(caption_), widget_, static_cast<QWidget*>(units_)})
            if (w) w->setVisible(false);
        discarded();
    } else {
        apply_common(*c);
        sync_value(*c);
    }
    syncing_ = outer;
}

void ControlView::apply_common(const Control& c) {
    if (!widget_) return;
    widget_->setVisible(c.visible);
    widget_->setEnabled(!c.dimmed);
    if (caption_) {
        const bool shown = c.visible && shows_caption(c);
        caption_->setText(shown ? QString::fromStdString(c.label) : QString());
        caption_->setVisible(shown);
        caption_->setEnabled(!c.dimmed);
    }
    if (units_) {
        units_->setText(QString::fromStdString(c.units));
        units_->setVisible(c.visible && !c.units.empty());
        units_->setEnabled(!c.dimmed);
    }
    if (c.width != width_) {
        width_ = c.width;
        if (width_ > 0) {
            widget_->setFixedWidth(scaled(widget_, width_));
        } else {
            widget_->setMinimumWidth(0);
            widget_->setMaximumWidth(QWIDGETSIZE_MAX);
        }
    }
    if (c.text_colour != text_colour_) apply_text_colour(c.text_colour);
}

void ControlView::apply_text_colour(int rgb) {
    text_colour_ = rgb;
    const QPalette normal = QApplication::palette(widget_);
    const QColor colour = readable_colour(rgb, normal.color(QPalette::Text));
    QPalette pal = widget_->palette();
    for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        pal.setColor(QPalette::Active, role, colour),
            pal.setColor(QPalette::Inactive, role, colour);
    widget_->setPalette(pal);
}

namespace {

// --- one class per control type ------------------------------------------------------------

class NumericView : public ControlView {
  public:
    NumericView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), edit_(new NumberEdit(parent)) {
        QObject::connect(edit_, &QDoubleSpinBox::valueChanged, [this](double v) {
            if (syncing_) return;
            const Control* m = rt_.control(panel_, id_);
            if (m && m->is_real)
                user_.set_value(panel_, id_, v);
            else
                user_.set_value(panel_, id_, static_cast<int>(std::lround(v)));
            resync();
        });
        set_widget(edit_, Placement::Field, true, parent);
    }

  private:
    void sync_value(const Control& c) override {
        edit_->set_format(c.is_real, c.precision, c.hex ? c.hex_digits : 0);
        edit_->set_limits(c.min, c.max);
        edit_->set_indicator(c.indicator);
        edit_->setValue(number_of(c.value));
    }
    NumberEdit* edit_;
};

class TextView : public ControlView {
  public:
    TextView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), edit_(new QLineEdit(parent)) {
        QObject::connect(edit_, &QLineEdit::editingFinished, [this] {
            const Control* m = rt_.control(panel_, id_);
            if (syncing_ || !m || edit_->isReadOnly() || edit_->text() == text_of(m->value)) return;
            user_.set_value(panel_, id_, edit_->text().toStdString());
            resync();
        });
        set_widget(edit_, Placement::Field, true, parent);
    }

  private:
    void sync_value(const Control& c) override {
        edit_->setReadOnly(c.indicator);
        if (c.indicator) {
            QPalette pal = edit_->palette();
            pal.setColor(QPalette::Base, pal.color(QPalette::Window));
            edit_->setPalette(pal);
        }
        edit_->setMaxLength(c.max_length > 0 ? c.max_length : 32767);
        const QString t = text_of(c.value);
        if (edit_->text() != t) edit_->setText(t);
        edit_->setCursorPosition(0);
    }
    QLineEdit* edit_;
};

class ToggleView : public ControlView {
  public:
    ToggleView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), button_(new QPushButton(parent)) {
        button_->setCheckable(true);
        button_->setAutoDefault(false);
        QObject::connect(button_, &QPushButton::clicked, [this](bool on) {
            if (syncing_) return;
            user_.set_value(panel_, id_, on ? 1 : 0);
            resync();
        });
        set_widget(button_, Placement::Field, false, parent);
    }

  private:
    // The button already reads the label when it is one of its on/off texts.
    bool shows_caption(const Control& c) const override {
        return !c.label.empty() && c.label != c.on_text && c.label != c.off_text;
    }
    void sync_value(const Control& c) override {
        const bool on = number_of(c.value) != 0;
        button_->setChecked(on);
        button_->setText(QString::fromStdString(on ? c.on_text : c.off_text));
        const int size = button_->fontMetrics().height() - 2;
        button_->setIcon(lamp_icon(model_colour(c.on_colour), on, size));
        button_->setIconSize(QSize(size, size));
        button_->setAttribute(Qt::WA_TransparentForMouseEvents, c.indicator);
        button_->setFocusPolicy(c.indicator ? Qt::NoFocus : Qt::StrongFocus);
    }
    QPushButton* button_;
};

// Items are rebuilt only when they differ from what the widget shows.
bool same_items(const std::vector<ListItem>& a, const std::vector<ListItem>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](auto& x, auto& y) {
               return x.label == y.label && x.value == y.value && x.shortcut == y.shortcut;
           });
}

class RingView : public ControlView {
  public:
    RingView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), combo_(new QComboBox(parent)) {
        combo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        combo_->setMinimumContentsLength(4);
        combo_->setMaxVisibleItems(20);
        QObject::connect(combo_, &QComboBox::activated, [this](int index) {
            if (syncing_) return;
            user_.set_index(panel_, id_, index);
            resync();
        });
        set_widget(combo_, Placement::Field, false, parent);
    }

  private:
    void sync_value(const Control& c) override {
        if (!same_items(items_, c.items)) {
            items_ = c.items;
            combo_->clear();
            for (const auto& it : c.items) combo_->addItem(QString::fromStdString(it.label));
            bind_item_keys();
        }
        combo_->setCurrentIndex(c.index);
        combo_->setAttribute(Qt::WA_TransparentForMouseEvents, c.indicator);
    }
    // An item's key chooses it as a click would.
    void bind_item_keys() {
        for (QShortcut* key : keys_) delete key;
        keys_.clear();
        for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
            if (items_[i].shortcut.empty()) continue;
            QShortcut* key = bind_key(items_[i].shortcut, combo_, [this, i] {
                if (syncing_) return;
                user_.set_index(panel_, id_, i);
                resync();
            });
            combo_->setItemData(i, key_text(key), Qt::ToolTipRole);
            keys_.push_back(key);
        }
    }
    QComboBox* combo_;
    std::vector<ListItem> items_;
    std::vector<QShortcut*> keys_;
};

class ListBoxView : public ControlView {
  public:
    ListBoxView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), list_(new QListWidget(parent)) {
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        list_->setUniformItemSizes(true);
        if (c.monospace) list_->setFont(fixed_pitch_font());
        if (c.rows > 0) {
            // Room for that many lines and no more, so the list does not take its box's
            // neighbours' height.
            const int line = QFontMetrics(list_->font()).height() + 4;
            list_->setFixedHeight(c.rows * line + 2 * list_->frameWidth());
        }
        QObject::connect(list_, &QListWidget::currentRowChanged, [this](int row) {
            if (syncing_ || row < 0) return;
            user_.set_index(panel_, id_, row);
            resync();
        });
        // Without a caption the list takes the whole width of its box.
        set_widget(list_, c.label.empty() ? Placement::Wide : Placement::Field, false, parent);
    }

  private:
    void sync_value(const Control& c) override {
        if (!same_items(items_, c.items)) {
            items_ = c.items;
            list_->clear();
            for (const auto& it : c.items) list_->addItem(QString::fromStdString(it.label));
        }
        list_->setCurrentRow(c.index);
        if (c.index >= 0) list_->scrollToItem(list_->item(c.index));
    }
    QListWidget* list_;
    std::vector<ListItem> items_;
};

class TextBoxEdit : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;
    std::function<void()> on_focus_out;

  protected:
    void focusOutEvent(QFocusEvent* e) override {
        QPlainTextEdit::focusOutEvent(e);
        if (on_focus_out) on_focus_out();
    }
};

class TextBoxView : public ControlView {
  public:
    TextBoxView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), edit_(new TextBoxEdit(parent)) {
        edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
        if (c.monospace) edit_->setFont(fixed_pitch_font());
        edit_->on_focus_out = [this] {
            if (syncing_ || edit_->isReadOnly() || !edit_->document()->isModified()) return;
            edit_->document()->setModified(false);
            user_.set_value(panel_, id_, edit_->toPlainText().toStdString());
            resync();
        };
        set_widget(edit_, Placement::Field, false, parent);
    }

  private:
    void sync_value(const Control& c) override {
        edit_->setReadOnly(c.indicator);
        // Lines are mostly appended: add only the new ones, the common case of a log.
        const bool appended = c.lines.size() > shown_.size() && !shown_.empty() &&
                              c.lines.front() == shown_.front() &&
                              c.lines[shown_.size() - 1] == shown_.back();
        if (appended) {
            for (size_t i = shown_.size(); i < c.lines.size(); ++i)
                edit_->appendPlainText(QString::fromStdString(c.lines[i]));
        } else if (c.lines != shown_) {
            QString all;
            for (size_t i = 0; i < c.lines.size(); ++i) {
                if (i) all += QLatin1Char('\n');
                all += QString::fromStdString(c.lines[i]);
            }
            edit_->setPlainText(all);
        }
        if (c.lines != shown_) {
            shown_ = c.lines;
            edit_->document()->setModified(false);
            edit_->verticalScrollBar()->setValue(edit_->verticalScrollBar()->maximum());
        }
    }
    TextBoxEdit* edit_;
    std::vector<std::string> shown_;
};

class CommandView : public ControlView {
  public:
    CommandView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), button_(new QPushButton(parent)) {
        button_->setAutoDefault(false);
        QObject::connect(button_, &QPushButton::clicked, [this] {
            if (!syncing_) user_.commit(panel_, id_);
        });
        set_widget(button_, Placement::Button, false, parent);
    }

  private:
    void sync_value(const Control& c) override {
        button_->setText(QString::fromStdString(c.label));
    }
    QPushButton* button_;
};

class LedView : public ControlView {
  public:
    LedView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), lamp_(new QLabel(parent)) {
        set_widget(lamp_, Placement::Field, false, parent);
    }

  private:
    void sync_value(const Control& c) override {
        const int size = lamp_->fontMetrics().height();
        lamp_->setPixmap(
            lamp_icon(model_colour(c.on_colour), number_of(c.value) != 0, size).pixmap(size));
    }
    QLabel* lamp_;
};

class ProgressView : public ControlView {
  public:
    ProgressView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), bar_(new QProgressBar(parent)) {
        bar_->setRange(0, kSteps);
        bar_->setTextVisible(true);
        set_widget(bar_, Placement::Field, false, parent);
    }

  private:
    static constexpr int kSteps = 1000;
    void sync_value(const Control& c) override {
        // A resource that gives no maximum counts in percent.
        const double max = c.max > 0 && c.max < 1e12 ? c.max : 100.0;
        const double part = std::clamp(number_of(c.value) / max, 0.0, 1.0);
        bar_->setValue(static_cast<int>(std::lround(part * kSteps)));
        // The fill is the style's own until the program gives the bar a colour.
        if (c.on_colour != fill_) {
            fill_ = c.on_colour;
            QPalette pal = bar_->palette();
            pal.setColor(QPalette::Highlight,
                         fill_ == Control{}.on_colour
                             ? QApplication::palette(bar_).color(QPalette::Highlight)
                             : model_colour(fill_));
            bar_->setPalette(pal);
        }
    }
    QProgressBar* bar_;
    int fill_ = -1;
};

class LabelView : public ControlView {
  public:
    LabelView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), label_(new QLabel(parent)) {
        label_->setTextFormat(Qt::PlainText);
        label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        set_widget(label_, c.label.empty() ? Placement::Wide : Placement::Field, false, parent);
    }

  private:
    void sync_value(const Control& c) override { label_->setText(text_of(c.value)); }
    QLabel* label_;
};

class GraphControlView : public ControlView {
  public:
    GraphControlView(const Runtime& rt, int panel, const Control& c, UserActions& user,
                     QWidget* parent)
        : ControlView(rt, panel, c, user), graph_(new GraphView(rt, panel, c.id, user, parent)) {
        set_widget(graph_, Placement::Stretch, false, parent);
    }
    GraphView* graph() override { return graph_; }

  private:
    // Title, axis names and plots follow the graph's own notifications.
    void sync_value(const Control&) override {}
    GraphView* graph_;
};

class TimerView : public ControlView {
  public:
    TimerView(const Runtime& rt, int panel, const Control& c, UserActions& user, QWidget* parent)
        : ControlView(rt, panel, c, user), timer_(new QTimer(parent)) {
        timer_->setObjectName(QString::fromStdString(c.name));
        QObject::connect(timer_, &QTimer::timeout, [this] { user_.timer_tick(panel_, id_); });
        set_widget(nullptr, Placement::None, false, parent);
    }

  private:
    void discarded() override { timer_->stop(); }
    void sync_value(const Control& c) override {
        const int ms = std::max(1, static_cast<int>(std::lround(c.interval * 1000)));
        if (!c.enabled) {
            timer_->stop();
        } else if (!timer_->isActive() || timer_->interval() != ms) {
            timer_->start(ms);
        }
    }
    QTimer* timer_;
};

}  // namespace

std::unique_ptr<ControlView> make_control_view(const Runtime& rt, int panel, const Control& c,
                                               UserActions& user, QWidget* parent) {
    switch (c.type) {
        case CtrlType::Numeric:
            return std::make_unique<NumericView>(rt, panel, c, user, parent);
        case CtrlType::Text:
            return std::make_unique<TextView>(rt, panel, c, user, parent);
        case CtrlType::Toggle:
            return std::make_unique<ToggleView>(rt, panel, c, user, parent);
        case CtrlType::Ring:
            return std::make_unique<RingView>(rt, panel, c, user, parent);
        case CtrlType::ListBox:
            return std::make_unique<ListBoxView>(rt, panel, c, user, parent);
        case CtrlType::TextBox:
            return std::make_unique<TextBoxView>(rt, panel, c, user, parent);
        case CtrlType::Command:
            return std::make_unique<CommandView>(rt, panel, c, user, parent);
        case CtrlType::Led:
            return std::make_unique<LedView>(rt, panel, c, user, parent);
        case CtrlType::Progress:
            return std::make_unique<ProgressView>(rt, panel, c, user, parent);
        case CtrlType::Label:
            return std::make_unique<LabelView>(rt, panel, c, user, parent);
        case CtrlType::Graph:
            return std::make_unique<GraphControlView>(rt, panel, c, user, parent);
        case CtrlType::Timer:
            return std::make_unique<TimerView>(rt, panel, c, user, parent);
    }
    return nullptr;
}

}  // namespace ui::qt
