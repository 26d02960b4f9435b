#include "platform/ui/qt/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

#include "platform/ui/qt/look.h"
#include "platform/ui/qt/panel_view.h"
#include "platform/ui/qt/tool_bar.h"
#include "platform/ui/qt/user_actions.h"
#include "platform/ui/runtime.h"

namespace ui::qt {

namespace {

constexpr int kOutputLines = 10000;  // the standard-output window keeps the latest lines

void collect_ids(const std::vector<MenuItem>& items, std::set<int>& ids) {
    for (const MenuItem& m : items) {
        ids.insert(m.id);
        collect_ids(m.items, ids);
    }
}

void for_each_item(const std::vector<MenuItem>& items, const auto& fn) {
    for (const MenuItem& m : items) {
        fn(m);
        for_each_item(m.items, fn);
    }
}

}  // namespace

MainWindow::MainWindow(UserActions& user)
    : user_(user),
      area_(new QMdiArea(this)),
      output_dock_(new QDockWidget(tr("Standard Output"), this)),
      output_(new QPlainTextEdit(output_dock_)),
      busy_(new QProgressBar(this)),
      busy_idle_(new QTimer(this)) {
    setObjectName(QStringLiteral("MainWindow"));
    area_->setObjectName(QStringLiteral("Workspace"));
    area_->setBackground(palette().color(QPalette::Mid));
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Each panel a tab of the whole workspace: at 1280x800 two panels side by side would each
    // be clipped. Tile and Cascade in the Window menu set them side by side instead.
    area_->setViewMode(QMdiArea::TabbedView);
    area_->setDocumentMode(true);
    area_->setTabsMovable(true);
    area_->setTabsClosable(true);
    area_->viewport()->installEventFilter(this);
    setCentralWidget(area_);

    output_dock_->setObjectName(QStringLiteral("StandardOutput"));
    output_->setReadOnly(true);
    output_->setMaximumBlockCount(kOutputLines);
    output_->setFont(fixed_pitch_font());
    output_->setLineWrapMode(QPlainTextEdit::NoWrap);
    output_dock_->setWidget(output_);
    output_dock_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                              QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::BottomDockWidgetArea, output_dock_);
    output_dock_->hide();

    busy_->setObjectName(QStringLiteral("BusyIndicator"));
    busy_->setRange(0, 0);
    busy_->setTextVisible(false);
    busy_->setMaximumWidth(140);
    busy_->setMaximumHeight(statusBar()->fontMetrics().height());
    busy_->hide();
    statusBar()->addPermanentWidget(busy_);
    statusBar()->setSizeGripEnabled(true);
    busy_idle_->setSingleShot(true);
    busy_idle_->setInterval(250);
    connect(busy_idle_, &QTimer::timeout, busy_, &QWidget::hide);
}

void MainWindow::bind(const Runtime& rt, PanelView* view) {
    rt_ = &rt;
    panel_ = view->handle();
    const Panel* p = rt.panel(panel_);
    setWindowTitle(QString::fromStdString(p->title));
    if (!p->boxes.empty()) {
        takeCentralWidget();  // the workspace moves below the panel's controls
        auto* central = new QWidget(this);
        auto* layout = new QVBoxLayout(central);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(view);
        layout->addWidget(area_, 1);
        setCentralWidget(central);
    } else {
        view->setParent(this);
        view->hide();
    }
    if (!p->toolbar.empty()) {
        tool_bar_ = new ToolBar(rt, user_, this);
        addToolBar(Qt::TopToolBarArea, tool_bar_);
    }
    menubar_ = rt.GetPanelMenuBar(panel_);
    if (const MenuBar* mb = rt.menubar(menubar_)) {
        for (const MenuItem& m : mb->menus) {
            QMenu* menu = menuBar()->addMenu(QString::fromStdString(m.label));
            menu->setObjectName(QString::fromStdString(m.name));
            menus_[m.id] = menu;
            actions_[m.id] = menu->menuAction();
            for (const MenuItem& item : m.items) build_menu(menu, item, menubar_);
        }
        sync_menus();
    }
    add_window_menu();
}

void MainWindow::build_menu(QMenu* into, const MenuItem& item, int menubar) {
    if (item.separator) {
        actions_[item.id] = into->addSeparator();
        return;
    }
    if (!item.items.empty()) {
        QMenu* sub = into->addMenu(QString::fromStdString(item.label));
        sub->setObjectName(QString::fromStdString(item.name));
        menus_[item.id] = sub;
        actions_[item.id] = sub->menuAction();
        for (const MenuItem& m : item.items) build_menu(sub, m, menubar);
        return;
    }
    QAction* a = into->addAction(QString::fromStdString(item.label));
    a->setObjectName(QString::fromStdString(item.name));
    if (!item.shortcut.empty()) a->setShortcut(QKeySequence(QString::fromStdString(item.shortcut)));
    const int id = item.id;
    connect(a, &QAction::triggered, this, [this, menubar, id] {
        user_.menu(menubar, id);
        // The model decides the check mark, whether or not the callback touched it.
        sync_menus();
    });
    actions_[id] = a;
}

void MainWindow::sync_menus() {
    const MenuBar* mb = rt_ ? rt_->menubar(menubar_) : nullptr;
    if (!mb) return;
    std::set<int> live;
    collect_ids(mb->menus, live);
    for (auto it = actions_.begin(); it != actions_.end();) {
        if (live.count(it->first)) {
            ++it;
            continue;
        }
        // Removed from the model (development menus): gone from the bar now, deleted later,
        // as the removal may come from this very action's callback.
        it->second->setVisible(false);
        if (auto m = menus_.find(it->first); m != menus_.end()) {
            m->second->deleteLater();
            menus_.erase(m);
        } else {
            it->second->deleteLater();
        }
        it = actions_.erase(it);
    }
    for_each_item(mb->menus, [this](const MenuItem& m) { sync_action(m); });
}

void MainWindow::sync_action(const MenuItem& item) {
    auto it = actions_.find(item.id);
    if (it == actions_.end() || item.separator) return;
    QAction* a = it->second;
    a->setText(QString::fromStdString(item.label));
    a->setEnabled(!item.dimmed);
    if (item.items.empty() && (item.checked || a->isCheckable())) {
        a->setCheckable(true);
        a->setChecked(item.checked);
    }
}

QAction* MainWindow::action(int menu_item) const {
    auto it = actions_.find(menu_item);
    return it == actions_.end() ? nullptr : it->second;
}

QWidget* MainWindow::add_panel(PanelView* view, bool top_level) {
    auto* scroll = new QScrollArea;
    scroll->setWidget(view);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    QWidget* window;
    // A panel with no size of its own (about) is a small dialog over the window, not a tab.
    const bool small = view->preferred_size().isEmpty();
    if (top_level || small) {
        window = new QWidget(this, small && !top_level ? Qt::Dialog : Qt::Window);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(scroll);
    } else {
        auto* sub = area_->addSubWindow(scroll);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        window = sub;
    }
    window->setObjectName(view->objectName() + QStringLiteral("_window"));
    window->setWindowTitle(QString::fromStdString(rt_->panel(view->handle())->title));
    window->installEventFilter(this);
    window->hide();
    panel_windows_[window] = view->handle();
    return window;
}

void MainWindow::show_panel(QWidget* window, PanelView* view) {
    auto* sub = qobject_cast<QMdiSubWindow*>(window);
    const bool opening = !window->isVisible();
    if (!window->property("placed").toBool()) {
        if (sub && !area_->isVisible()) {
            // The workspace has no size yet: placed (and shown) once the main window is up.
            if (std::find(pending_.begin(), pending_.end(), std::pair{sub, view}) == pending_.end())
                pending_.emplace_back(sub, view);
            return;
        }
        place(window, view);
    }
    if (sub && area_->viewMode() == QMdiArea::TabbedView)
        sub->showMaximized();  // a tab fills the workspace, shown or not
    else
        window->show();
    window->raise();
    if (sub)
        area_->setActiveSubWindow(sub);
    else
        window->activateWindow();
    // Side by side, a panel that opens joins the tiles, so none hides another.
    if (opening && sub && area_->viewMode() == QMdiArea::SubWindowView) tile();
}

void MainWindow::tabs() {
    area_->setViewMode(QMdiArea::TabbedView);
}

void MainWindow::tile() {
    QMdiSubWindow* active = area_->activeSubWindow();
    area_->setViewMode(QMdiArea::SubWindowView);
    for (QMdiSubWindow* sub : area_->subWindowList()) sub->showNormal();
    area_->tileSubWindows();
    if (active) area_->setActiveSubWindow(active);
}

void MainWindow::cascade() {
    area_->setViewMode(QMdiArea::SubWindowView);
    for (QMdiSubWindow* sub : area_->subWindowList()) sub->showNormal();
    area_->cascadeSubWindows();
}

void MainWindow::add_window_menu() {
    auto* menu = new QMenu(tr("&Window"), this);
    menu->setObjectName(QStringLiteral("WINDOW"));
    QAction* b = menu->addAction(tr("Ta&bs"), this, &MainWindow::tabs);
    b->setObjectName(QStringLiteral("TABS"));
    b->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+B")));
    QAction* t = menu->addAction(tr("&Tile"), this, &MainWindow::tile);
    t->setObjectName(QStringLiteral("TILE"));
    t->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+T")));
    QAction* c = menu->addAction(tr("&Cascade"), this, &MainWindow::cascade);
    c->setObjectName(QStringLiteral("CASCADE"));
    c->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+K")));
    // Before Help, where people look for it.
    QMenu* help = menuBar()->findChild<QMenu*>(QStringLiteral("HELP"), Qt::FindDirectChildrenOnly);
    menuBar()->insertMenu(help ? help->menuAction() : nullptr, menu);
}

void MainWindow::add_console(QWidget* console) {
    console_dock_ = new QDockWidget(tr("Console"), this);
    console_dock_->setObjectName(QStringLiteral("ConsoleWindow"));
    console_dock_->setWidget(console);
    console_dock_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                               QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::BottomDockWidgetArea, console_dock_);
    // Beside the standard-output window, as a tab of the same dock area.
    tabifyDockWidget(output_dock_, console_dock_);
    console_dock_->hide();
    QAction* toggle = console_dock_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("CONSOLE"));
    toggle->setText(tr("C&onsole"));
    toggle->setShortcut(QKeySequence(QStringLiteral("F12")));
    connect(toggle, &QAction::toggled, this, [this, console](bool on) {
        if (!on) return;
        console_dock_->raise();
        console->setFocus();
    });
    QMenu* panels = menuBar()->findChild<QMenu*>(QStringLiteral("PANELS"));
    if (panels) {
        panels->addSeparator();
        panels->addAction(toggle);
    } else {
        addAction(toggle);
    }
}

bool MainWindow::save_screenshots(const QString& dir) {
    if (!QDir().mkpath(dir)) return false;
    bool ok = grab().save(dir + QStringLiteral("/window.png"));
    QMdiSubWindow* active = area_->activeSubWindow();
    const bool tabbed = area_->viewMode() == QMdiArea::TabbedView;
    for (const auto& [window, handle] : panel_windows_) {
        auto* w = static_cast<QWidget*>(window);
        if (!w->isVisible()) continue;
        // A tab is laid out at the workspace's size only while it is the one in front.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w); sub && tabbed) {
            area_->setActiveSubWindow(sub);
            QCoreApplication::processEvents();
        }
        const QString name = QString::fromStdString(rt_->panel(handle)->name).toLower();
        ok = w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")) && ok;
    }
    if (active) area_->setActiveSubWindow(active);
    return ok;
}

void MainWindow::place(QWidget* window, PanelView* view) {
    window->setProperty("placed", true);
    const QSize preferred = view->preferred_size();
    const QSize content = preferred.isEmpty() ? view->sizeHint() : preferred;
    auto* sub = qobject_cast<QMdiSubWindow*>(window);
    if (!sub) {
        window->resize(content);
        if (window->windowType() == Qt::Dialog)
            window->move(geometry().center() - QPoint(content.width() / 2, content.height() / 2));
        return;
    }
    const QStyle* st = sub->style();
    const int frame = st->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, sub);
    const int title = st->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
    sub->resize(content + QSize(2 * frame, title + frame));
    fit_into_workspace(sub);
}

void MainWindow::place_pending() {
    if (!area_->isVisible()) return;
    const auto pending = std::move(pending_);
    pending_.clear();
    for (auto [sub, view] : pending)
        if (!sub->property("placed").toBool() && rt_->panel(view->handle())->visible)
            show_panel(sub, view);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!pending_.empty()) QTimer::singleShot(0, this, [this] { place_pending(); });
}

void MainWindow::fit_into_workspace(QMdiSubWindow* sub) {
    const QSize area = area_->viewport()->size();
    if (area.isEmpty() || area_->viewMode() == QMdiArea::TabbedView) return;
    const QSize min = sub->minimumSizeHint().expandedTo(QSize(200, 120));
    QRect g = sub->geometry();
    g.setWidth(std::max(std::min(g.width(), area.width()), std::min(min.width(), g.width())));
    g.setHeight(std::max(std::min(g.height(), area.height()), std::min(min.height(), g.height())));
    g.moveLeft(std::clamp(g.left(), 0, std::max(0, area.width() - g.width())));
    g.moveTop(std::clamp(g.top(), 0, std::max(0, area.height() - g.height())));
    if (g != sub->geometry()) sub->setGeometry(g);
}

void MainWindow::append_output(const QString& line) {
    output_->appendPlainText(line);
    if (!output_dock_->isVisible()) {
        output_dock_->show();
        resizeDocks({output_dock_}, {8 * output_->fontMetrics().height()}, Qt::Vertical);
    }
}

void MainWindow::pulse_busy() {
    busy_->show();
    busy_idle_->start();
}

void MainWindow::hide_panel(QWidget* window) {
    window->hide();
    auto* sub = qobject_cast<QMdiSubWindow*>(window);
    std::erase_if(pending_, [sub](const auto& p) { return p.first == sub; });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing asks the program (which asks the person); the program ends the loop itself.
    event->ignore();
    if (panel_) user_.close_panel(panel_);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close) {
        auto it = panel_windows_.find(watched);
        if (it != panel_windows_.end()) {
            event->ignore();
            user_.close_panel(it->second);
            return true;
        }
    }
    if (watched == area_->viewport() && event->type() == QEvent::Resize) {
        for (QMdiSubWindow* sub : area_->subWindowList())
            if (sub->isVisible()) fit_into_workspace(sub);
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace ui::qt
