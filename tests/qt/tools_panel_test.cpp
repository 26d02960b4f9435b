// The control panel's pin grid on screen for a four- and a single-channel board (pictures in
// build/screenshots), and the progress window's cancel button.
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "boardlink/discovery.h"
#include "qt_support.h"
#include "uir_ids.h"

#include <gtest/gtest.h>

using qt_support::settle;

TEST(QtToolsPanel, PinGridShowsTheBoardFamilysCaptions) {
    const struct {
        int code;
        const char* name;
        std::vector<QString> captions;
        bool upper_enabled;
    } cases[] = {
        {4,
         "four-channel",
         {"MUX0", "MUX1", "GAIN0", "GAIN1", "GAIN2", "MODE0", "MODE1", "MODE2", "PWDN", "SW0",
          "SW1", "SW2"},
         true},
        {2,
         "single-channel",
         {"MUX0", "MODE0", "MODE1", "MODE3", "GAIN0", "GAIN1", "GAIN2", "MUX1", "NC", "NC", "NC",
          "NC"},
         false},
    };
    for (const auto& c : cases) {
        qt_support::QtApp t;
        simboard::BoardConfig cfg;
        cfg.board_code = static_cast<std::uint8_t>(c.code);
        t.bus.add_board(cfg);
        t.start();
        t->ui.SetCtrlVal(t->shell.setuppanel, SETUP_CONNECT, 1);
        boardlink::USB_port_init(*t.app);
        const int cp = t->shell.controlpanel;
        t->ui.DisplayPanel(cp);
        t.frontend.main_window()->showNormal();
        t.frontend.main_window()->resize(1920, 1080);
        settle(60);
        for (int p = 0; p < 12; ++p) {
            const std::string name = "GPIOCAP" + std::to_string(p);
            auto* label = t.find<QLabel>(cp, name.c_str());
            ASSERT_NE(label, nullptr) << name;
            EXPECT_EQ(label->text(), c.captions[p]) << c.name << " pin " << p;
            EXPECT_EQ(label->isEnabled(), p < 8 || c.upper_enabled) << c.name << " pin " << p;
        }
        ASSERT_TRUE(QDir().mkpath(SEISBENCH_SCREENSHOT_DIR));
        auto* sub = t.frontend.main_window()->findChild<QMdiSubWindow*>(t.panel(cp)->objectName() +
                                                                        "_window");
        ASSERT_NE(sub, nullptr);
        EXPECT_TRUE(sub->grab().save(
            QString("%1/control-pins-%2.png").arg(SEISBENCH_SCREENSHOT_DIR).arg(c.name)));
    }
}

TEST(QtToolsPanel, ProgressWindowCancels) {
    qt_support::QtApp t;
    t.start();
    t.frontend.main_window()->show();
    EXPECT_EQ(t->ui.UpdateProgress("Programming EEPROM", "1 of 4 bytes", 0.25), 0);
    auto* dlg = t.frontend.main_window()->findChild<QProgressDialog*>();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->labelText(), "1 of 4 bytes");
    dlg->cancel();
    EXPECT_EQ(t->ui.UpdateProgress("Programming EEPROM", "2 of 4 bytes", 0.5), 1);
    t->ui.EndProgress();
    settle();
    EXPECT_EQ(t.frontend.main_window()->findChild<QProgressDialog*>(), nullptr);
}

TEST(QtToolsPanel, ClosingTheWindowDuringAnOperationAsksThenStopsItAndQuits) {
    qt_support::QtApp t;
    t.start();
    QMainWindow* main = t.frontend.main_window();
    main->show();
    auto question = [main] { return main->findChild<QMessageBox*>(); };
    auto answer = [&](QMessageBox::StandardButton b) {
        ASSERT_NE(question(), nullptr);
        question()->button(b)->click();
    };
    // The close arrives while the work runs, that is while the progress window takes events.
    auto close_during_work = [&](double at) {
        QTimer::singleShot(0, main, [main] { main->close(); });
        EXPECT_EQ(t->ui.UpdateProgress("Programming EEPROM", "bytes", at), 0);
    };
    EXPECT_EQ(t->ui.UpdateProgress("Programming EEPROM", "bytes", 0.1), 0);
    close_during_work(0.25);
    ASSERT_NE(question(), nullptr);
    EXPECT_EQ(question()->text(), "An operation is still running. Stop it and quit?");
    answer(QMessageBox::No);
    settle();
    EXPECT_EQ(t->ui.UpdateProgress("Programming EEPROM", "bytes", 0.5), 0);
    EXPECT_FALSE(t.frontend.stop_asked());

    close_during_work(0.6);
    answer(QMessageBox::Yes);
    EXPECT_EQ(t->ui.UpdateProgress("Programming EEPROM", "bytes", 0.7), 1);
    EXPECT_TRUE(t.frontend.stop_asked());
    t->ui.EndProgress();
    // Once the work is over the program leaves its loop by itself.
    bool hung = false;
    QTimer::singleShot(10000, main, [&] {
        hung = true;
        t->ui.QuitUserInterface(0);
    });
    t->ui.RunUserInterface();
    EXPECT_FALSE(hung);
}
