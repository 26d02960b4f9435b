#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/startup.h"
#include "support/test_app.h"
#include "uir_ids.h"

using testing_support::TestApp;

namespace {

// Records the order in which panels are shown.
struct RecordingFrontend : ui::HeadlessFrontend {
    std::vector<int> shown;
    void changed(const ui::Change& c) override {
        if (c.kind == ui::Change::PanelShown) shown.push_back(c.panel);
    }
};

std::vector<std::string> labels(const App& app, int panel, int ctrl) {
    std::vector<std::string> out;
    for (const auto& it : app.ui.control(panel, ctrl)->items) out.push_back(it.label);
    return out;
}

}  // namespace

TEST(Startup, LoadsPanelsInOrderAsChildrenOfTheMainWindow) {
    TestApp t;
    t.start();
    const auto& g = t->shell;
    EXPECT_EQ(t->ui.panel(g.mainpanel)->resource, "main.uir");
    EXPECT_EQ(t->ui.panel(g.mainpanel)->parent, 0);
    const std::pair<int, const char*> children[] = {{g.aboutpanel, "about.uir"},
                                                    {g.setuppanel, "setup.uir"},
                                                    {g.analysispanel, "analysis.uir"},
                                                    {g.controlpanel, "control.uir"}};
    int previous = g.mainpanel;
    for (auto [handle, file] : children) {
        ASSERT_GT(handle, previous) << file;
        EXPECT_EQ(t->ui.panel(handle)->resource, file);
        EXPECT_EQ(t->ui.panel(handle)->parent, g.mainpanel);
        previous = handle;
    }
    EXPECT_EQ(g.debugpanel1, 0);
    EXPECT_EQ(g.debugpanel2, 0);
    EXPECT_EQ(g.menu, t->ui.GetPanelMenuBar(g.mainpanel));
    EXPECT_TRUE(t.frontend.popups.empty());
}

TEST(Startup, ShowsSetupThenAboutThenMainWithTheTitle) {
    platform::VirtualClock clock;
    RecordingFrontend fe;
    usb::SimBus bus(clock);
    App app({clock, fe, bus, SEISBENCH_TEST_RESOURCE_DIR});
    ASSERT_EQ(shell::startup(app), 0);
    const auto& g = app.shell;
    EXPECT_EQ(fe.shown, (std::vector<int>{g.setuppanel, g.aboutpanel, g.mainpanel}));
    EXPECT_FALSE(app.ui.panel(g.analysispanel)->visible);
    EXPECT_FALSE(app.ui.panel(g.controlpanel)->visible);
    EXPECT_EQ(app.ui.panel(g.mainpanel)->title, "Korvane Seismic Evaluation V2.8");
    std::string caption;
    app.ui.GetCtrlVal(g.aboutpanel, ABOUT_CAPTION, &caption);
    EXPECT_EQ(caption, "Korvane Seismic Evaluation V2.8");
    EXPECT_EQ(g.helpFile, std::string(SEISBENCH_TEST_RESOURCE_DIR) + "/TREMORVIEW.HLP");
}

TEST(Startup, RemovesTheDevelopmentItems) {
    TestApp t;
    t.start();
    const auto& g = t->shell;
    const ui::MenuBar* mb = t->ui.menubar(g.menu);
    std::vector<std::string> menus;
    for (const auto& m : mb->menus) menus.push_back(m.name);
    EXPECT_EQ(menus, (std::vector<std::string>{"FILE", "PANELS", "BOARD", "HELP"}));
    EXPECT_EQ(t->ui.menu_item(g.menu, MENUBAR_DEV1_DEBUG1), nullptr);

    const int cp = g.controlpanel;
    EXPECT_EQ(
        labels(*t, cp, CONTROL_REGLIST),
        (std::vector<std::string>{
            "0x00  CONFIG",  "0x0E  GPCFG0",  "0x0F  GPCFG1",  "0x10  SPI2CTRL", "0x11  SPI2CMD",
            "0x12  SPI2DAT", "0x20  FILTCFG", "0x21  GAIN1",   "0x22  GAIN2",    "0x23  GAIN3",
            "0x24  GAIN4",   "0x25  OFFSET1", "0x26  OFFSET2", "0x27  OFFSET3",  "0x28  OFFSET4",
            "0x29  TIMEBRK", "0x2A  TBSCFG",  "0x2B  TBSGAIN", "0x2C  SYSTEM1",  "0x2D  SYSTEM2",
            "0x2E  VERSION", "0x2F  SELFTEST"}));
    EXPECT_EQ(labels(*t, cp, CONTROL_CMDLIST),
              (std::vector<std::string>{"NOP", "WR_DFREG", "RD_DFREG", "WR_FIR_COEF", "WR_IIR_COEF",
                                        "WR_ROM_COEF", "WR_TBS_DATA", "WR_ROM_TBS", "FL_START",
                                        "FL_STOP"}));
    EXPECT_EQ(labels(*t, cp, CONTROL_PORTADDR),
              (std::vector<std::string>{"0x00  SPICTRL", "0x03  SPICMD", "0x06  SPI1DAT",
                                        "0x09  SPI2DAT"}));
    // The four-channel macro register list: registers, port registers, misc. commands.
    const auto& macro = t->ui.control(cp, CONTROL_MACROREG)->items;
    ASSERT_EQ(macro.size(), 32u);
    EXPECT_EQ(macro[0].label, "0x00  CONFIG");
    EXPECT_EQ(macro[6].label, "0x20  FILTCFG");
    EXPECT_EQ(macro[21].label, "0x2F  SELFTEST");
    EXPECT_EQ(macro[22].value, 902);
    EXPECT_EQ(macro[26].label, "0x09  SPI2DAT");
    EXPECT_EQ(macro[26].value, 0x49);
    EXPECT_EQ(macro[27].value, 903);
    EXPECT_EQ(macro[31].label, "0x08  FILT_STRT");
    for (const auto& it : macro)
        EXPECT_TRUE(it.value <= 0x2F || (it.value >= 64 && it.value <= 111) || it.value > 900)
            << it.label;
    EXPECT_EQ(t->ui.control(cp, CONTROL_DEVTEST), nullptr);
}

TEST(Startup, EachMissingOrBrokenResourceEndsWithStatusOneAndNoMessage) {
    namespace fs = std::filesystem;
    for (const char* file : {"main.uir", "about.uir", "setup.uir", "analysis.uir", "control.uir"}) {
        for (bool broken : {false, true}) {
            const std::string dir = testing_support::copy_resources_to_temp();
            const fs::path path = fs::path(dir) / file;
            if (broken) {
                std::ofstream(path) << "{ \"name\": \"X\", \"boxes\": [ { \"controls\": [ { ";
            } else {
                fs::remove(path);
            }
            TestApp t(dir);
            EXPECT_EQ(shell::seisbench_main(*t), 1) << file;
            EXPECT_TRUE(t.frontend.popups.empty()) << file;
            for (int h : t->ui.panel_handles()) EXPECT_FALSE(t->ui.panel(h)->visible) << file;
            fs::remove_all(dir);
        }
    }
}

TEST(Startup, StartsTheSecondsClock) {
    TestApp t;
    t.clock.advance(42.0);
    t.start();
    t.clock.advance(1.5);
    EXPECT_DOUBLE_EQ(t->ui.Timer(), 1.5);
}
