#include "platform/ui/qt/qt_frontend.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QLayout>
#include <QMdiArea>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cassert>
#include <iostream>
#include <map>

#include "platform/ui/qt/control_view.h"
#include "platform/ui/qt/graph_view.h"
#include "platform/ui/qt/help_viewer.h"
#include "platform/ui/qt/html_pdf.h"
#include "platform/ui/qt/input_gate.h"
#include "platform/ui/qt/look.h"
#include "platform/ui/qt/main_window.h"
#include "platform/ui/qt/panel_view.h"
#include "platform/ui/qt/popups.h"
#include "platform/ui/qt/printing.h"
#include "platform/ui/qt/tool_bar.h"
#include "platform/ui/qt/user_actions.h"
#include "platform/ui/runtime.h"

namespace ui::qt {

namespace {

const char* const kQuitWhileBusy = "An operation is still running. Stop it and quit?";
constexpr int kQuitPollMs = 50;

}  // namespace

struct QtFrontend::Impl : UserActions {
    struct Slot {
        PanelView* view = nullptr;
        QWidget* window = nullptr;  // sub-window or own window; null for the main panel
    };
    // A wait for a user event (GetUserEvent) in progress.
    struct Wait {
        QEventLoop* loop = nullptr;
        bool done = false;
        int event = -1, panel = 0, ctrl = 0;
    };

    Runtime* rt = nullptr;
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<HelpViewer> help;
    std::map<int, Slot> panels;
    QEventLoop* loop = nullptr;
    Wait* wait = nullptr;
    bool in_keep_alive = false;
    bool in_progress = false;  // the progress window lets events run; its Cancel alone counts
    QPointer<QProgressDialog> progress;
    // Closing the window while work runs asks first; a yes stops the work, then quits.
    QPointer<QMessageBox> quit_question;
    bool stop_asked = false;
    bool busy_cursor = false;
    bool main_placed = false;

    Impl() : main(std::make_unique<MainWindow>(*this)) {}
    ~Impl() override {
        // The run-time may be gone already: nothing may reach it while the widgets go.
        for (QObject* o : main->findChildren<QObject*>()) o->blockSignals(true);
    }

    QWidget* dialog_parent() const {
        QWidget* modal = QApplication::activeModalWidget();
        return modal ? modal : main.get();
    }

    int main_panel() const {
        for (int h : rt->panel_handles())
            if (rt->panel(h)->parent == 0) return h;
        return 0;
    }

    // The panel's widgets, built from the model on first use. The main panel is always built
    // first: the other panels live in its window.
    Slot* slot(int panel) {
        if (auto it = panels.find(panel); it != panels.end()) return &it->second;
        const Panel* p = rt->panel(panel);
        if (!p) return nullptr;
        const int main_handle = main_panel();
        if (panel != main_handle && !panels.count(main_handle)) slot(main_handle);
        Slot s;
        s.view = new PanelView(*rt, panel, *this);
        if (panel == main_handle)
            main->bind(*rt, s.view);
        else
            s.window = main->add_panel(s.view, p->parent == 0);
        return &(panels[panel] = s);
    }

    void show_panel(int panel) {
        Slot* s = slot(panel);
        if (!s) return;
        if (s->window) {
            main->show_panel(s->window, s->view);
            return;
        }
        if (!main_placed) {
            main_placed = true;
            place_main_window(s->view->preferred_size());
            if (main->isMaximized()) return;
        }
        main->show();
        main->raise();
        main->activateWindow();
    }

    // The main window opens at its panel's size, centred; maximised when the screen is smaller.
    void place_main_window(QSize preferred) {
        const QScreen* screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
        const QRect avail = screen->availableGeometry();
        if (preferred.isEmpty()) preferred = QSize(1024, 700);
        if (preferred.width() >= avail.width() || preferred.height() >= avail.height()) {
            main->resize(preferred.boundedTo(avail.size()));
            main->showMaximized();
            return;
        }
        main->resize(preferred);
        main->move(avail.center() - QPoint(preferred.width() / 2, preferred.height() / 2));
    }

    void hide_panel(int panel) {
        Slot* s = slot(panel);
        if (!s) return;
        if (s->window)
            main->hide_panel(s->window);
        else
            main->hide();
    }

    void activate_panel(int panel) {
        Slot* s = slot(panel);
        if (!s) return;
        QWidget* w = s->window ? s->window : main.get();
        if (!w->isVisible()) return;
        w->raise();
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w))
            main->workspace()->setActiveSubWindow(sub);
        else
            w->activateWindow();
    }

    void retitle_panel(int panel) {
        Slot* s = slot(panel);
        if (!s) return;
        const QString title = QString::fromStdString(rt->panel(panel)->title);
        (s->window ? s->window : main.get())->setWindowTitle(title);
    }

    GraphView* graph(int panel, int ctrl) {
        Slot* s = slot(panel);
        return s ? s->view->graph(ctrl) : nullptr;
    }

    // --- what a person does ----------------------------------------------------------
    // Nothing a person does counts while system code holds the program (keep_alive, the
    // progress window).
    bool blocked() const { return in_keep_alive || in_progress; }

    bool take_as_wait_event(int panel, int ctrl) {
        if (!wait || wait->done) return false;
        wait->done = true;
        wait->event = EVENT_COMMIT;
        wait->panel = panel;
        wait->ctrl = ctrl;
        wait->loop->exit();
        return true;
    }

    void commit(int panel, int ctrl) override {
        if (blocked() || take_as_wait_event(panel, ctrl)) return;
        rt->UserCommit(panel, ctrl);
    }
    void set_value(int panel, int ctrl, const Value& value) override {
        if (!blocked()) rt->UserSetValue(panel, ctrl, value);
    }
    void set_index(int panel, int ctrl, int index) override {
        if (!blocked()) rt->UserSetIndex(panel, ctrl, index);
    }
    void right_click(int panel, int ctrl) override {
        if (!blocked()) rt->UserRightClick(panel, ctrl);
    }
    void click_graph(int panel, int ctrl, double x, double y) override {
        if (blocked()) return;
        if (wait && !wait->done) {
            rt->UserMoveCursor(panel, ctrl, x, y, false);
            take_as_wait_event(panel, ctrl);
            return;
        }
        rt->UserMoveCursor(panel, ctrl, x, y);
    }
    void zoom_graph(int panel, int ctrl, double xmin, double xmax, double ymin,
                    double ymax) override {
        // While code waits for the box zoom's corners the range is that code's to set.
        if (blocked() || (wait && !wait->done)) return;
        rt->UserZoomGraph(panel, ctrl, xmin, xmax, ymin, ymax);
    }
    void stop_and_quit() {
        if (stop_asked) return;
        stop_asked = true;
        if (quit_question) quit_question->close();
        if (progress) progress->cancel();
        // The work ends at its next step; the program quits once it has.
        auto* wait_for_work = new QTimer(main.get());
        QObject::connect(wait_for_work, &QTimer::timeout, main.get(), [this, wait_for_work] {
            if (blocked()) return;
            wait_for_work->deleteLater();
            rt->QuitUserInterface(0);
        });
        wait_for_work->start(kQuitPollMs);
    }

    void ask_to_stop_and_quit() {
        if (stop_asked) return;
        if (quit_question) {
            quit_question->raise();
            return;
        }
        // Not modal: the work goes on (and its records keep arriving) while the person thinks.
        QWidget* parent = progress ? static_cast<QWidget*>(progress) : main.get();
        auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Quit Program"),
                                    QString::fromUtf8(kQuitWhileBusy),
                                    QMessageBox::Yes | QMessageBox::No, parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->setDefaultButton(QMessageBox::No);
        open_while_busy(box);
        QObject::connect(box, &QMessageBox::finished, main.get(), [this, box](int) {
            if (box->clickedButton() == box->button(QMessageBox::Yes)) stop_and_quit();
        });
        quit_question = box;
        box->show();
    }

    void close_panel(int panel) override {
        if (blocked()) {
            if (panel == main_panel()) ask_to_stop_and_quit();
            return;
        }
        const Panel* p = rt->panel(panel);
        if (!p) return;
        if (!p->callback.empty())
            rt->UserClosePanel(panel);
        else if (panel != main_panel())
            rt->HidePanel(panel);  // a panel nobody listens to closes like a window
    }
    void menu(int menubar, int item) override {
        if (!blocked()) rt->UserMenu(menubar, item);
    }
    void timer_tick(int panel, int ctrl) override {
        if (!blocked()) rt->TimerTick(panel, ctrl);
    }
};

QtFrontend::QtFrontend() {
    assert(qApp && "QtFrontend needs a QApplication");
    QApplication::setQuitOnLastWindowClosed(false);
    if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(program_icon());
    d_ = std::make_unique<Impl>();
    // A panel loaded while the program runs gets its widgets (and its timers start) the next
    // time the loop waits, even if nothing about it has changed yet.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     d_->main.get(), [this] { build_views(); });
}

QtFrontend::~QtFrontend() = default;

bool QtFrontend::stop_asked() const {
    return d_->stop_asked;
}

void QtFrontend::stop_and_quit() {
    d_->stop_and_quit();
}

void QtFrontend::attach(Runtime& rt) {
    d_->rt = &rt;
}

QMainWindow* QtFrontend::main_window() const {
    return d_->main.get();
}

QWidget* QtFrontend::panel_widget(int panel) {
    Impl::Slot* s = d_->rt ? d_->slot(panel) : nullptr;
    return s ? s->view : nullptr;
}

void QtFrontend::build_views() {
    if (!d_->rt) return;
    if (d_->panels.size() != d_->rt->panel_handles().size())
        for (int h : d_->rt->panel_handles()) d_->slot(h);
    if (ToolBar* bar = d_->main->tool_bar(); bar && !bar->built())
        bar->build(d_->rt->panel(d_->main->panel())->toolbar);
}

// --- popups ------------------------------------------------------------------------------

void QtFrontend::message(const std::string& title, const std::string& text) {
    show_message(d_->dialog_parent(), title, text);
}
int QtFrontend::confirm(const std::string& title, const std::string& text) {
    return ask_confirm(d_->dialog_parent(), title, text);
}
int QtFrontend::prompt(const std::string& title, const std::string& text, int max_length,
                       std::string& answer) {
    return ask_prompt(d_->dialog_parent(), title, text, max_length, answer);
}
int QtFrontend::file_select(const FileSelectRequest& req, std::string& path) {
    return ask_file(d_->dialog_parent(), req, path);
}

// --- the loop ----------------------------------------------------------------------------

void QtFrontend::run_loop() {
    build_views();
    QEventLoop loop;
    QEventLoop* outer = d_->loop;
    d_->loop = &loop;
    loop.exec();
    d_->loop = outer;
}

void QtFrontend::quit_loop() {
    if (d_->wait) d_->wait->loop->exit();
    if (d_->loop) d_->loop->exit(0);
}

void QtFrontend::process_events() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int QtFrontend::wait_user_event(int* panel, int* control) {
    build_views();
    QEventLoop loop;
    Impl::Wait wait;
    wait.loop = &loop;
    Impl::Wait* outer = d_->wait;
    d_->wait = &wait;
    loop.exec();
    d_->wait = outer;
    *panel = wait.panel;
    *control = wait.ctrl;
    return wait.event;
}

void QtFrontend::keep_alive() {
    if (d_->in_keep_alive) return;
    d_->in_keep_alive = true;
    if (d_->main->isVisible()) d_->main->pulse_busy();
    const InputGate gate(d_->progress);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    d_->in_keep_alive = false;
}

void QtFrontend::changed(const Change& c) {
    if (!d_->rt) return;
    switch (c.kind) {
        case Change::PanelShown:
            d_->show_panel(c.panel);
            break;
        case Change::PanelHidden:
            d_->hide_panel(c.panel);
            break;
        case Change::PanelActivated:
            d_->activate_panel(c.panel);
            break;
        case Change::PanelTitle:
            d_->retitle_panel(c.panel);
            break;
        case Change::Control:
        case Change::ListItems:
            if (Impl::Slot* s = d_->slot(c.panel)) s->view->sync_control(c.control);
            if (ToolBar* bar = d_->main->tool_bar()) bar->sync(c.panel, c.control);
            break;
        case Change::Graph:
            if (GraphView* g = d_->graph(c.panel, c.control)) g->model_changed();
            break;
        case Change::Cursor:
            if (GraphView* g = d_->graph(c.panel, c.control)) g->cursor_changed();
            break;
        case Change::MenuBar:
            d_->slot(c.panel);
            d_->main->sync_menus();
            break;
    }
}

void QtFrontend::set_mouse_cursor(int cursor) {
    const bool busy = cursor == VAL_HOUR_GLASS_CURSOR;
    if (busy == d_->busy_cursor) return;
    d_->busy_cursor = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// --- print, clipboard, help, standard output ---------------------------------------------

int QtFrontend::print(int panel, int control, bool low_resolution) {
    Impl::Slot* s = d_->slot(panel);
    if (!s) return UIE_NO_SUCH_PANEL;
    QWidget* what = s->view;
    if (control) {
        ControlView* v = s->view->control(control);
        if (!v || !v->widget()) return UIE_NO_SUCH_CONTROL;
        what = v->widget();
    }
    if (!what->isVisible()) {
        // A panel never shown has no layout yet: give it its size before drawing it.
        QWidget* top = s->view;
        const QSize preferred = s->view->preferred_size();
        top->resize(preferred.isEmpty() ? top->sizeHint() : preferred);
        if (top->layout()) top->layout()->activate();
    }
    return print_widget(d_->dialog_parent(), what, low_resolution);
}

int QtFrontend::html_to_pdf(const std::string& html, std::string& pdf) {
    const QByteArray bytes = qt::html_to_pdf(QString::fromStdString(html));
    if (bytes.isEmpty()) return -1;
    pdf.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    return 0;
}

int QtFrontend::copy_panel_to_clipboard(int panel) {
    Impl::Slot* s = d_->slot(panel);
    if (!s) return UIE_NO_SUCH_PANEL;
    return copy_to_clipboard(s->window ? s->window : d_->main.get());
}

void QtFrontend::help(const std::string& path, int mode) {
    if (!d_->help) d_->help = std::make_unique<HelpViewer>();
    d_->help->open(QString::fromStdString(path), mode);
}

bool QtFrontend::progress(const std::string& title, const std::string& text, double fraction) {
    constexpr int kSteps = 1000;
    if (!d_->progress) {
        d_->progress = new QProgressDialog(d_->dialog_parent());
        d_->progress->setWindowModality(Qt::WindowModal);
        d_->progress->setRange(0, kSteps);
        d_->progress->setMinimumDuration(0);
        d_->progress->setAutoClose(false);
        d_->progress->setAutoReset(false);
    }
    QProgressDialog* dlg = d_->progress;
    dlg->setWindowTitle(QString::fromStdString(title));
    dlg->setLabelText(QString::fromStdString(text));
    // A modal dialog's value change lets pending events run, the cancel button's click with them;
    // a timer or a click elsewhere must not start a callback meanwhile.
    d_->in_progress = true;
    {
        const InputGate gate(dlg);
        dlg->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * kSteps));
    }
    d_->in_progress = false;
    return !dlg->wasCanceled() && !d_->stop_asked;
}

void QtFrontend::progress_done() {
    delete d_->progress;  // QPointer: null when already gone
}

void QtFrontend::stdout_line(const std::string& text) {
    std::cout << text << '\n' << std::flush;
    d_->main->append_output(QString::fromStdString(text));
}

}  // namespace ui::qt
