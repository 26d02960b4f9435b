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
    EXPECT_EQ(files, 7);
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
}
