// Every resource loads, and every callback a resource names is bound to code.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/ui/resource.h"
#include "support/test_app.h"

using testing_support::TestApp;

namespace {

void check_menu(const ui::CallbackRegistry& cb, const std::vector<ui::MenuItem>& items,
                const std::string& file) {
    for (const auto& m : items) {
        if (!m.callback.empty()) {
            EXPECT_NE(cb.menu(m.callback), nullptr) << file << ": menu " << m.callback;
        }
        check_menu(cb, m.items, file);
    }
}

}  // namespace

TEST(Resources, EveryResourceLoadsAndEveryCallbackResolves) {
    TestApp t;
    const auto& cb = t->callbacks;
    // Two subsystems binding one name would leave one of them silently dead.
    EXPECT_EQ(cb.refused(), std::vector<std::string>{});
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SEISBENCH_SOURCE_RESOURCE_DIR)) {
        if (entry.path().extension() != ".uir") continue;
        ++files;
        ui::ResourceResult r = ui::ReadResourceFile(entry.path().string());
        const std::string file = entry.path().filename().string();
        ASSERT_EQ(r.error, "") << file;
        const ui::Panel& p = r.resource.panel;
        if (!p.callback.empty()) {
            EXPECT_NE(cb.panel(p.callback), nullptr) << file << ": panel " << p.callback;
        }
        for (const auto& c : p.controls) {
            if (!c.callback.empty()) {
                EXPECT_NE(cb.ctrl(c.callback), nullptr) << file << ": " << c.name;
            }
        }
        if (r.resource.menubar) check_menu(cb, r.resource.menubar->menus, file);
    }
    EXPECT_EQ(files, 9);
}

TEST(Resources, MalformedResourcesAreRefusedWithAReason) {
    EXPECT_NE(ui::ReadResourceText("{", "a.uir").error, "");
    EXPECT_NE(ui::ReadResourceText(R"({"boxes": []})", "b.uir").error.find("no name"),
              std::string::npos);
    auto bad_type = ui::ReadResourceText(
        R"({"name":"P","boxes":[{"controls":[{"name":"X","type":"dial"}]}]})", "c.uir");
    EXPECT_NE(bad_type.error.find("unknown type"), std::string::npos);
    auto twice = ui::ReadResourceText(
        R"({"name":"P","boxes":[{"controls":[{"name":"X","type":"label"},{"name":"X","type":"label"}]}]})",
        "d.uir");
    EXPECT_NE(twice.error.find("used twice"), std::string::npos);
    auto items = ui::ReadResourceText(
        R"({"name":"P","boxes":[{"controls":[{"name":"R","type":"ring","items":[["a"]]}]}]})",
        "e.uir");
    EXPECT_NE(items.error.find("list items"), std::string::npos);
    // Integer fields take whole numbers within int's range only, never a cut real.
    const struct {
        const char* text;
        const char* reason;
    } whole[] = {
        {R"({"name":"P","size":[1280.5, 800]})", "\"size\" is [width, height]"},
        {R"({"name":"P","size":[1e300, 800]})", "\"size\" is [width, height]"},
        {R"({"name":"P","size":[1280]})", "\"size\" is [width, height]"},
        {R"({"name":"P","boxes":[{"column":1.5}]})", "\"column\" is not a whole number"},
        {R"({"name":"P","boxes":[{"controls":[{"name":"N","type":"numeric","precision":1e300}]}]})",
         "control N: \"precision\" is not a whole number"},
        {R"({"name":"P","boxes":[{"controls":[{"name":"N","type":"led","value":4294967296}]}]})",
         "control N: \"value\" is not a whole number"},
        {R"({"name":"P","boxes":[{"controls":[{"name":"R","type":"ring","items":[["a",2.5]]}]}]})",
         "list items"},
    };
    for (const auto& c : whole)
        EXPECT_NE(ui::ReadResourceText(c.text, "f.uir").error.find(c.reason), std::string::npos)
            << c.text;
}

TEST(Resources, ARingIndexOutsideItsItemsSelectsTheFirst) {
    for (const char* index : {"-3", "2", "0"}) {
        const auto r = ui::ReadResourceText(
            std::string(R"({"name":"P","boxes":[{"controls":[{"name":"R","type":"ring",)") +
                R"("items":[["a",5],["b",6]],"index":)" + index + "}]}]}",
            "g.uir");
        ASSERT_EQ(r.error, "") << index;
        EXPECT_EQ(r.resource.panel.controls[0].index, 0) << index;
        EXPECT_EQ(std::get<int>(r.resource.panel.controls[0].value), 5) << index;
    }
}
