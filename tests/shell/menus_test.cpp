#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/check_file.h"
#include "shell/menus.h"
#include "shell/startup.h"
#include "support/test_app.h"
#include "uir_ids.h"

using testing_support::TestApp;

namespace {

int checked(App& app, int item) {
    int v = -1;
    app.ui.GetMenuBarAttribute(app.shell.menu, item, ui::ATTR_CHECKED, &v);
    return v;
}

}  // namespace

TEST(Quit, CancelKeepsRunningWithStateUnchanged) {
    TestApp t;
    t.start();
    auto& fe = t.frontend;
    fe.confirms = {0};
    fe.menu(t->shell.menu, MENUBAR_FILE_QUIT);
    bool later_action_ran = false;
    fe.run([&](ui::Runtime&) { later_action_ran = true; });
    t->ui.RunUserInterface();
    EXPECT_TRUE(later_action_ran);
    EXPECT_FALSE(t->ui.quitting());
    ASSERT_EQ(fe.popups.size(), 1u);
    EXPECT_EQ(fe.popups[0].kind, ui::Popup::Confirm);
    EXPECT_EQ(fe.popups[0].title, "Quit Program");
    EXPECT_EQ(fe.popups[0].text, "Are you sure you want to QUIT?");
    EXPECT_TRUE(t->ui.panel(t->shell.mainpanel)->visible);
}

TEST(Quit, ClosingTheMainWindowAsksTheSameAndConfirmingEndsWithZero) {
    TestApp t;
    auto& fe = t.frontend;
    fe.confirms = {1};
    fe.close(1);  // the main window is the first panel loaded
    bool after_quit_ran = false;
    fe.run([&](ui::Runtime&) { after_quit_ran = true; });
    EXPECT_EQ(shell::seisbench_main(*t), 0);
    EXPECT_FALSE(after_quit_ran);
    ASSERT_EQ(fe.popups.size(), 1u);
    EXPECT_EQ(fe.popups[0].title, "Quit Program");
    EXPECT_EQ(fe.popups[0].text, "Are you sure you want to QUIT?");
}

TEST(Print, ResolutionItemsToggleLeavingExactlyOneChecked) {
    TestApp t;
    t.start();
    auto& ui = t->ui;
    const int mb = t->shell.menu;
    EXPECT_EQ(checked(*t, MENUBAR_FILE_HIRES) + checked(*t, MENUBAR_FILE_LORES), 1);
    ui.UserMenu(mb, MENUBAR_FILE_LORES);
    ui.UserMenu(mb, MENUBAR_FILE_HIRES);
    EXPECT_EQ(checked(*t, MENUBAR_FILE_HIRES), 1);
    EXPECT_EQ(checked(*t, MENUBAR_FILE_LORES), 0);
    ui.UserMenu(mb, MENUBAR_FILE_HIRES);
    ui.UserMenu(mb, MENUBAR_FILE_LORES);
    EXPECT_EQ(checked(*t, MENUBAR_FILE_HIRES), 0);
    EXPECT_EQ(checked(*t, MENUBAR_FILE_LORES), 1);
}

TEST(Print, ReportsTheOutcomeWithTheExactTitlesAndPassesTheResolution) {
    TestApp t;
    t.start();
    auto& fe = t.frontend;
    const int mb = t->shell.menu;
    t->ui.UserMenu(mb, MENUBAR_FILE_LORES);
    t->ui.UserMenu(mb, MENUBAR_FILE_PRINTSCREEN);
    EXPECT_TRUE(fe.last_print_low_res);
    t->ui.UserMenu(mb, MENUBAR_FILE_HIRES);
    t->ui.UserMenu(mb, MENUBAR_FILE_PRINTGRAPH);
    EXPECT_FALSE(fe.last_print_low_res);
    fe.print_result = -1;
    t->ui.UserMenu(mb, MENUBAR_FILE_PRINTSCREEN);
    t->ui.UserMenu(mb, MENUBAR_FILE_PRINTGRAPH);
    EXPECT_EQ(fe.prints, 4);
    EXPECT_EQ(fe.messages(), (std::vector<std::string>{"Print Screen|Print Successful.",
                                                       "Print Graph|Print Successful.",
                                                       "Print Screen Error|Print Unsuccessful.",
                                                       "Print Graph Error|Print Unsuccessful."}));
}

TEST(Menus, SwitchPanelsCopyAndHelp) {
    TestApp t;
    t.start();
    auto& ui = t->ui;
    const auto& g = t->shell;
    ui.UserMenu(g.menu, MENUBAR_PANELS_ANALYSIS);
    ui.UserMenu(g.menu, MENUBAR_PANELS_CONTROL);
    EXPECT_TRUE(ui.panel(g.analysispanel)->visible);
    EXPECT_TRUE(ui.panel(g.controlpanel)->visible);
    ui.UserCommit(g.aboutpanel, ABOUT_CLOSE);
    EXPECT_FALSE(ui.panel(g.aboutpanel)->visible);
    ui.UserMenu(g.menu, MENUBAR_HELP_ABOUT);
    EXPECT_TRUE(ui.panel(g.aboutpanel)->visible);

    ui.UserMenu(g.menu, MENUBAR_FILE_COPY);
    EXPECT_EQ(t.frontend.clipboard_copies, 1);
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{"Panel Copied.|Panel copied to clipboard."}));

    ui.UserMenu(g.menu, MENUBAR_HELP_CONTENTS);
    ui.UserMenu(g.menu, MENUBAR_HELP_SEARCH);
    ui.UserCommit(g.aboutpanel, ABOUT_HELP);
    EXPECT_EQ(t.frontend.help_requests,
              (std::vector<std::string>{g.helpFile + "#contents", g.helpFile + "#search",
                                        g.helpFile + "#contents"}));
}

TEST(CheckFileExists, PresentFileIsSilentAbsentFileIsReportedWithItsPath) {
    TestApp t;
    t.start();
    const std::string present = std::string(SEISBENCH_TEST_RESOURCE_DIR) + "/main.uir";
    EXPECT_EQ(shell::CheckFileExists(t->ui, present), 0);
    EXPECT_TRUE(t.frontend.popups.empty());
    const std::string absent = "/nonexistent/dir/M1.mac";
    EXPECT_EQ(shell::CheckFileExists(t->ui, absent), 1);
    EXPECT_EQ(
        t.frontend.messages(),
        (std::vector<std::string>{"File Error|File /nonexistent/dir/M1.mac does not exist."}));
}
