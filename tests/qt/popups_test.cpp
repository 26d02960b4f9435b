// Popups show the system's exact titles and texts, and return what the person chose.
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "qt_support.h"
#include "shell/check_file.h"
#include "shell/menus.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

using qt_support::press_button;
using qt_support::when_dialog_shown;

namespace {

struct Seen {
    QString title, text;
};

class QtPopups : public ::testing::Test {
  protected:
    void SetUp() override { t.start(); }
    qt_support::QtApp t;
    Seen seen;
};

}  // namespace

TEST_F(QtPopups, MessageShowsTitleAndTextExactly) {
    when_dialog_shown([this](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle(), box->text()};
        press_button(box, "OK");
    });
    t->ui.MessagePopup("Please reconfig or reset the target board", "        Time Out!");
    EXPECT_EQ(seen.title, "Please reconfig or reset the target board");
    EXPECT_EQ(seen.text, "        Time Out!");  // leading spaces kept

    // Text that looks like markup is shown as written.
    when_dialog_shown([this](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        seen = {box->windowTitle(), box->text()};
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        press_button(box, "OK");
    });
    t->ui.MessagePopup("File Error", "File <a>.mac does not exist.");
    EXPECT_EQ(seen.text, "File <a>.mac does not exist.");
}

TEST_F(QtPopups, ConfirmReturnsOneForYesAndZeroForNo) {
    for (auto [button, expected] : {std::pair{"&Yes", 1}, std::pair{"&No", 0}}) {
        when_dialog_shown([this, b = QString(button)](QWidget* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            ASSERT_NE(box, nullptr);
            seen = {box->windowTitle(), box->text()};
            press_button(box, b);
        });
        EXPECT_EQ(t->ui.ConfirmPopup("Quit Program", "Are you sure you want to QUIT?"), expected);
        EXPECT_EQ(seen.title, "Quit Program");
        EXPECT_EQ(seen.text, "Are you sure you want to QUIT?");
    }
}

TEST_F(QtPopups, PromptHoldsAtMostTheMaximumLength) {
    when_dialog_shown([this](QWidget* d) {
        seen.title = d->windowTitle();
        seen.text = d->findChild<QLabel*>()->text();
        auto* edit = d->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->maxLength(), 4);
        QTest::keyClicks(edit, "1A2B3C");
        press_button(d, "&OK");
    });
    std::string answer;
    EXPECT_EQ(t->ui.PromptPopup("EEPROM Start Address", "Start Address (in Hex)?", &answer, 4), 0);
    EXPECT_EQ(answer, "1A2B");
    EXPECT_EQ(seen.title, "EEPROM Start Address");
    EXPECT_EQ(seen.text, "Start Address (in Hex)?");

    when_dialog_shown([](QWidget* d) { press_button(d, "&Cancel"); });
    answer = "unchanged";
    EXPECT_LT(
        t->ui.PromptPopup("Name External Macro", "Enter name for external macro M1.", &answer, 7),
        0);
    EXPECT_EQ(answer, "unchanged");
}

TEST_F(QtPopups, FileSelectHonoursTitleFolderPatternAndMode) {
    const std::string dir = testing_support::copy_resources_to_temp();
    std::filesystem::create_directories(dir + "/macros");
    std::ofstream(dir + "/macros/a.mac") << "x\n";

    // Load, extension restricted: only the pattern is offered.
    when_dialog_shown([&](QWidget* d) {
        auto* dlg = qobject_cast<QFileDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), "Load Macro");
        EXPECT_EQ(QDir(dlg->directory()).absolutePath(),
                  QDir(QString::fromStdString(dir + "/macros")).absolutePath());
        EXPECT_EQ(dlg->nameFilters(), QStringList({"*.mac"}));
        EXPECT_EQ(dlg->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dlg->fileMode(), QFileDialog::ExistingFile);
        dlg->selectFile("a.mac");
        QMetaObject::invokeMethod(dlg, "accept");
    });
    std::string path;
    EXPECT_EQ(t->ui.FileSelectPopup(dir + "/macros", "", "*.mac", "Load Macro", ui::VAL_LOAD_BUTTON,
                                    true, &path),
              ui::VAL_EXISTING_FILE_SELECTED);
    EXPECT_EQ(std::filesystem::path(path), std::filesystem::path(dir + "/macros/a.mac"));

    // Save, extension restricted: a name without it gets it.
    when_dialog_shown([&](QWidget* d) {
        auto* dlg = qobject_cast<QFileDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->acceptMode(), QFileDialog::AcceptSave);
        dlg->selectFile("new");
        QMetaObject::invokeMethod(dlg, "accept");
    });
    EXPECT_EQ(t->ui.FileSelectPopup(dir + "/macros", "", "*.mac", "Save Macro", ui::VAL_SAVE_BUTTON,
                                    true, &path),
              ui::VAL_NEW_FILE_SELECTED);
    EXPECT_EQ(std::filesystem::path(path).filename(), "new.mac");

    // No pattern: every file is offered. Cancel selects nothing and leaves the path alone.
    when_dialog_shown([&](QWidget* d) {
        auto* dlg = qobject_cast<QFileDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), "Save Data");
        EXPECT_EQ(dlg->nameFilters(), QStringList({"All files (*)"}));
        dlg->reject();
    });
    path = "kept";
    EXPECT_EQ(t->ui.FileSelectPopup(dir, "", "", "Save Data", ui::VAL_SAVE_BUTTON, false, &path),
              ui::VAL_NO_FILE_SELECTED);
    EXPECT_EQ(path, "kept");
}

TEST_F(QtPopups, CheckFileExistsReportsAMissingFile) {
    when_dialog_shown([this](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        seen = {box->windowTitle(), box->text()};
        press_button(box, "OK");
    });
    EXPECT_EQ(shell::CheckFileExists(t.app->ui, "/nowhere/M1.mac"), 1);
    EXPECT_EQ(seen.title, "File Error");
    EXPECT_EQ(seen.text, "File /nowhere/M1.mac does not exist.");
}
