// Panel resources: whatever the text, the reader returns (never throws or crashes); an accepted
// resource numbers its controls 1..n in file order and its menu items 1..m depth first, names
// every control once, lays out only controls it holds, and selects an item of a ring or list
// box only when it has one.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/ui/resource.h"

namespace {

void check_menu(const ui::MenuItem& item, int& next_id) {
    FUZZ_CHECK(item.id == next_id);
    ++next_id;
    FUZZ_CHECK(item.separator || !item.name.empty());
    for (const auto& sub : item.items) check_menu(sub, next_id);
}

void check_accepted(const ui::Resource& r) {
    const ui::Panel& p = r.panel;
    FUZZ_CHECK(!p.name.empty());
    FUZZ_CHECK(p.resource == "fuzz.uir");
    std::set<std::string> names;
    for (std::size_t i = 0; i < p.controls.size(); ++i) {
        const ui::Control& c = p.controls[i];
        FUZZ_CHECK(c.id == static_cast<int>(i) + 1);
        FUZZ_CHECK(!c.name.empty());
        FUZZ_CHECK(names.insert(c.name).second);
        const bool listed = c.type == ui::CtrlType::Ring || c.type == ui::CtrlType::ListBox;
        if (listed && c.items.empty()) FUZZ_CHECK(c.index == -1);
        if (listed && !c.items.empty()) {
            FUZZ_CHECK(c.index >= 0 && c.index < static_cast<int>(c.items.size()));
            FUZZ_CHECK(std::get<int>(c.value) == c.items[c.index].value);
        }
        FUZZ_CHECK(c.hex == (c.hex_digits > 0));
    }
    for (const ui::LayoutBox& b : p.boxes) {
        FUZZ_CHECK(b.rows.size() == b.controls.size());
        for (int id : b.controls) FUZZ_CHECK(id >= 1 && id <= static_cast<int>(p.controls.size()));
    }
    if (r.menubar) {
        int next_id = 1;
        for (const auto& m : r.menubar->menus) check_menu(m, next_id);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ui::ResourceResult result =
        ui::ReadResourceText(std::string(fuzz::as_text(data, size)), "fuzz.uir");
    if (result.error.empty())
        check_accepted(result.resource);
    else
        FUZZ_CHECK(result.error.starts_with("fuzz.uir: "));
    return 0;
}
