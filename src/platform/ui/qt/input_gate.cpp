#include "platform/ui/qt/input_gate.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace ui::qt {

bool is_user_input(const QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
    }
}

namespace {

const char* const kOpenWhileBusy = "seisbench_open_while_busy";

bool in_open_window(QObject* watched) {
    if (auto* w = qobject_cast<QWidget*>(watched))
        return w->window()->property(kOpenWhileBusy).toBool();
    // Key events reach the window before its focus widget.
    if (auto* win = qobject_cast<QWindow*>(watched))
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == win) return top->property(kOpenWhileBusy).toBool();
    return false;
}

}  // namespace

void open_while_busy(QWidget* window) {
    window->setProperty(kOpenWhileBusy, true);
}

InputGate::InputGate(QWidget* open_to) : open_to_(open_to) {
    qApp->installEventFilter(this);
}

InputGate::~InputGate() {
    qApp->removeEventFilter(this);
}

bool InputGate::eventFilter(QObject* watched, QEvent* event) {
    if (!is_user_input(event) || in_open_window(watched)) return false;
    if (open_to_) {
        if (auto* w = qobject_cast<QWidget*>(watched);
            w && (w == open_to_ || open_to_->isAncestorOf(w)))
            return false;
        // Key events reach the window before its focus widget.
        if (watched == static_cast<QObject*>(open_to_->windowHandle())) return false;
    }
    return true;
}

}  // namespace ui::qt
