// The console in the window: seisbench-cli's commands against the program's live system.
#include <QCheckBox>
#include <QCompleter>
#include <QDialog>
#include <QDockWidget>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "cli/command_line.h"
#include "platform/ui/qt/console.h"
#include "platform/ui/qt/main_window.h"
#include "platform/ui/recording_frontend.h"
#include "qt_support.h"
#include "seisbench/console_session.h"
#include "shell/startup.h"

#include <gtest/gtest.h>

namespace {

// The program as main builds it: the recording front-end in front of the window, and the
// console docked in it.
struct ConsoleApp {
    explicit ConsoleApp(bool with_board) {
        if (with_board) sim = &bus.add_board({});
        EXPECT_EQ(shell::startup(*app), 0);
        window().add_console(console);
        // A person who reads each popup and clicks it away.
        QObject::connect(&reader, &QTimer::timeout, [this] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible()) return;
            dialogs << d->windowTitle();
            d->accept();
        });
        reader.start(5);
    }
    ui::qt::MainWindow& window() { return *static_cast<ui::qt::MainWindow*>(qt.main_window()); }
    QString text() const { return console->output()->toPlainText(); }

    QApplication& qapp = qt_support::qt_app();
    platform::VirtualClock clock;
    ui::qt::QtFrontend qt;
    ui::RecordingFrontend frontend{qt};
    usb::SimBus bus{clock};
    simboard::SimBoard* sim = nullptr;
    std::unique_ptr<App> app =
        std::make_unique<App>(App::Options{clock, frontend, bus, SEISBENCH_TEST_RESOURCE_DIR});
    seisbench::ConsoleSession session{*app, frontend, sim};
    ui::qt::Console* console = new ui::qt::Console(
        [this](const std::string& line, bool json) { return session.run(line, json); },
        cli::command_names());
    QTimer reader;
    QStringList dialogs;
};

}  // namespace

TEST(QtConsole, RunsACommandOnTheLiveSystemAndShowsItsOutput) {
    ConsoleApp t(true);
    QAction* toggle = nullptr;
    for (QAction* a : t.window().findChild<QMenu*>("PANELS")->actions())
        if (a->objectName() == "CONSOLE") toggle = a;
    ASSERT_NE(toggle, nullptr);
    toggle->trigger();
    EXPECT_TRUE(t.window().console_window()->isVisible());

    QTest::keyClicks(t.console->input(), "reg read VERSION");
    QTest::keyClick(t.console->input(), Qt::Key_Return);
    EXPECT_EQ(t.app->link.usb_opened, 1);  // connected first, as seisbench-cli does
    EXPECT_TRUE(t.text().contains("> reg read VERSION")) << t.text().toStdString();
    EXPECT_TRUE(t.text().contains(QRegularExpression("value: +0x[0-9A-F]{6}")))
        << t.text().toStdString();
    EXPECT_TRUE(t.console->input()->text().isEmpty());

    t.console->json()->setChecked(true);
    EXPECT_EQ(t.console->run("configure --rate 500 --channels 4"), 0);
    EXPECT_TRUE(t.text().contains(R"({"command":"configure","ok":true)")) << t.text().toStdString();
    // Its message was the program's popup, as when the panel's button is pressed.
    EXPECT_TRUE(t.dialogs.contains("Done")) << t.dialogs.join('|').toStdString();

    // Up recalls the run's lines, newest first; Down comes back to a fresh line.
    QTest::keyClick(t.console->input(), Qt::Key_Up);
    EXPECT_EQ(t.console->input()->text(), "configure --rate 500 --channels 4");
    QTest::keyClick(t.console->input(), Qt::Key_Up);
    EXPECT_EQ(t.console->input()->text(), "reg read VERSION");
    QTest::keyClick(t.console->input(), Qt::Key_Down);
    QTest::keyClick(t.console->input(), Qt::Key_Down);
    EXPECT_TRUE(t.console->input()->text().isEmpty());

    QCompleter* c = t.console->input()->completer();
    c->setCompletionPrefix("conf");
    EXPECT_EQ(c->currentCompletion(), "configure");
}

TEST(QtConsole, AFailedCommandShowsWhyAndTheConsoleGoesOn) {
    ConsoleApp t(false);
    const struct {
        const char* line;
        int status;
        const char* shown;
    } cases[] = {
        {"frobnicate", 2, "error: unknown command 'frobnicate'"},
        {"reg read", 2, "error: usage"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(t.console->run(c.line), c.status) << c.line;
        EXPECT_TRUE(t.text().contains(c.shown)) << c.line << "\n" << t.text().toStdString();
        EXPECT_TRUE(t.console->input()->isEnabled()) << c.line;
    }
    // No board: the connection's message is the program's popup, and the console reports
    // the failure under it.
    EXPECT_EQ(t.console->run("connect"), 1);
    EXPECT_EQ(t.dialogs.size(), 1) << t.dialogs.join('|').toStdString();
    EXPECT_EQ(t.frontend.popups.size(), 1u);
    EXPECT_TRUE(t.text().contains("error: ")) << t.text().toStdString();
    EXPECT_EQ(t.console->run("trace"), 2);  // still takes commands
}

// Tab completes the command name in place (rather than moving the focus on), stops where two
// names part and leaves a line with arguments alone.
TEST(QtConsole, TabCompletesTheCommandName) {
    ConsoleApp a(false);
    QLineEdit* in = a.console->input();
    struct Case {
        const char* typed;
        const char* after;
    };
    for (const Case& c : {Case{"conn", "connect "}, Case{"CONF", "configure "},
                          Case{"d", "d"}, Case{"cap", "capture "}, Case{"reg read", "reg read"},
                          Case{"zzz", "zzz"}}) {
        in->setText(c.typed);
        QTest::keyClick(in, Qt::Key_Tab);
        EXPECT_EQ(in->text(), c.after) << c.typed;
    }
    in->setText("dis");
    QTest::keyClick(in, Qt::Key_Tab);
    EXPECT_EQ(in->text(), "disconnect ");
}
