#include "qt_support.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFontMetricsF>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "shell/startup.h"
#include "support/test_app.h"

#include <unistd.h>

namespace qt_support {

QApplication& qt_app() {
    static QApplication* app = [] {
        // A screen the size of a common desktop, so layouts and screenshots are realistic.
        // One file per process: test cases run in parallel processes and must not read a
        // file another one is rewriting.
        const std::string config = (std::filesystem::temp_directory_path() /
                                    ("seisbench-offscreen-" + std::to_string(::getpid()) + ".json"))
                                       .string();
        std::ofstream(config) << R"({"screens": [{"name": "screen", "x": 0, "y": 0,
            "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.c_str());
        static int argc = 1;
        static char name[] = "test_qt";
        static char* argv[] = {name, nullptr};
        auto* qapp = new QApplication(argc, argv);  // lives as long as the process
        std::filesystem::remove(config);            // read when the platform started
        return qapp;
    }();
    return *app;
}

void settle(int ms) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    if (ms <= 0) return;
    // A loop that waits, as the program's does.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool columns_line_up(const QFont& font) {
    const QFontMetricsF m(font);
    const qreal narrow = m.horizontalAdvance(QStringLiteral("il.|"));
    return narrow > 0 && narrow == m.horizontalAdvance(QStringLiteral("WM@0")) &&
           narrow == m.horizontalAdvance(QStringLiteral("    "));
}

void when_dialog_shown(std::function<void(QWidget*)> fn) {
    auto* poll = new QTimer(&qt_app());
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, fn] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        fn(modal);
    });
    poll->start();
}

void press_button(QWidget* dialog, const QString& text) {
    const QString wanted = QString(text).remove(QLatin1Char('&'));
    for (auto* b : dialog->findChildren<QAbstractButton*>()) {
        if (b->text().remove(QLatin1Char('&')) == wanted) {
            b->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
    if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject();  // do not hang the test
}

QtApp::QtApp(std::string resource_dir) {
    app = std::make_unique<App>(App::Options{clock, frontend, bus, std::move(resource_dir)});
}

QtApp::~QtApp() {
    // The run-time goes before the front-end that draws it.
    app.reset();
}

void QtApp::start() {
    ASSERT_EQ(shell::startup(*app), 0);
    frontend.build_views();
    settle();
}

std::string resources_with_all_types() {
    const std::string dir = testing_support::copy_resources_to_temp();
    std::ofstream(dir + "/alltypes.uir") << R"({
  "name": "ALL", "title": "All Types", "callback": "all_panel", "size": [900, 600],
  "boxes": [
    {"title": "Fields", "column": 0, "controls": [
      {"name": "INT", "type": "numeric", "label": "Integer", "min": -10, "max": 1000,
       "units": "V", "callback": "record"},
      {"name": "REAL", "type": "numeric", "label": "Real", "real": true, "precision": 2,
       "callback": "record"},
      {"name": "HEX", "type": "numeric", "label": "Hex", "hex": 6, "min": 0, "max": 16777215},
      {"name": "READOUT", "type": "numeric", "label": "Read-out", "real": true,
       "indicator": true},
      {"name": "TEXT", "type": "text", "label": "Text", "max_length": 8, "callback": "record"},
      {"name": "TOGGLE", "type": "toggle", "label": "Average", "callback": "record"},
      {"name": "RING", "type": "ring", "label": "Ring", "callback": "record",
       "items": [["A", 10], ["B", 20], ["C", 30, "Ctrl+7"]]},
      {"name": "LED", "type": "led", "label": "Lamp"},
      {"name": "PROGRESS", "type": "progress", "label": "Progress", "max": 100},
      {"name": "LABEL", "type": "label", "value": "Static text"},
      {"row": [
        {"name": "GO", "type": "command", "label": "Go", "callback": "record", "shortcut": "F9"},
        {"name": "STOP", "type": "command", "label": "Stop", "callback": "record"}
      ]}
    ]},
    {"title": "Lists", "column": 1, "controls": [
      {"name": "LIST", "type": "listbox", "label": "List", "callback": "record",
       "items": [["one", 1], ["two", 2]]},
      {"name": "TEXTBOX", "type": "textbox", "label": "Log"}
    ]},
    {"title": "", "column": 2, "stretch": true, "controls": [
      {"name": "GRAPH", "type": "graph", "label": "Plot", "callback": "record"}
    ]}
  ],
  "hidden_controls": [
    {"name": "TICK", "type": "timer", "interval": 0.02, "callback": "record"}
  ]
})";
    return dir;
}

void record_events(App& app, std::vector<Recorded>& into) {
    app.callbacks.add_ctrl("record", [&into](int, int ctrl, int event, void*) {
        into.push_back({ctrl, event});
        return 0;
    });
    app.callbacks.add_panel("all_panel", [&into](int, int event, void*) {
        into.push_back({0, event});
        return 0;
    });
}

}  // namespace qt_support
