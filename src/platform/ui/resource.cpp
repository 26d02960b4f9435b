#include "platform/ui/resource.h"

#include <cstdint>
#include <fstream>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

namespace ui {

namespace {

using nlohmann::json;

const std::map<std::string, CtrlType>& type_names() {
    static const std::map<std::string, CtrlType> names = {
        {"numeric", CtrlType::Numeric},   {"text", CtrlType::Text},
        {"toggle", CtrlType::Toggle},     {"ring", CtrlType::Ring},
        {"listbox", CtrlType::ListBox},   {"textbox", CtrlType::TextBox},
        {"command", CtrlType::Command},   {"led", CtrlType::Led},
        {"progress", CtrlType::Progress}, {"label", CtrlType::Label},
        {"graph", CtrlType::Graph},       {"timer", CtrlType::Timer},
    };
    return names;
}

// A whole number within int's range. A real or a wider number is refused rather than cut,
// which for a real beyond int's range would not even be defined.
bool fits_int(const json& v) {
    constexpr auto lo = std::numeric_limits<int>::min();
    constexpr auto hi = std::numeric_limits<int>::max();
    if (v.is_number_unsigned()) return v.get<std::uint64_t>() <= static_cast<std::uint64_t>(hi);
    return v.is_number_integer() && v.get<std::int64_t>() >= lo && v.get<std::int64_t>() <= hi;
}

struct Reader {
    std::string error;

    void fail(const std::string& what) {
        if (error.empty()) error = what;
    }

    // An integer field of object j, or fallback when j lacks it.
    int integer(const json& j, const char* key, int fallback, const std::string& owner) {
        const auto it = j.find(key);
        if (it == j.end()) return fallback;
        if (fits_int(*it)) return it->get<int>();
        fail(owner + ": \"" + key + "\" is not a whole number");
        return fallback;
    }

    Control control(const json& j, int id) {
        Control c;
        c.id = id;
        c.name = j.value("name", "");
        if (c.name.empty()) fail("control " + std::to_string(id) + " has no name");
        const std::string type = j.value("type", "");
        auto t = type_names().find(type);
        if (t == type_names().end()) {
            fail("control " + c.name + " has unknown type \"" + type + "\"");
            return c;
        }
        c.type = t->second;
        const std::string where = "control " + c.name;
        c.label = j.value("label", "");
        c.callback = j.value("callback", "");
        c.is_real = j.value("real", false);
        c.indicator = j.value("indicator", false);
        c.precision = integer(j, "precision", c.is_real ? 3 : 0, where);
        c.hex_digits = integer(j, "hex", 0, where);
        c.hex = c.hex_digits > 0;
        c.min = j.value("min", c.min);
        c.max = j.value("max", c.max);
        c.max_length = integer(j, "max_length", 0, where);
        c.on_text = j.value("on_text", c.on_text);
        c.off_text = j.value("off_text", c.off_text);
        c.units = j.value("units", "");
        c.width = integer(j, "width", 0, where);
        c.monospace = j.value("monospace", false);
        c.rows = integer(j, "rows", 0, where);
        c.dimmed = j.value("dimmed", false);
        c.visible = j.value("visible", true);
        c.text_colour = integer(j, "colour", c.text_colour, where);
        c.on_colour = integer(j, "on_colour", c.on_colour, where);
        c.interval = j.value("interval", 1.0);
        c.enabled = j.value("enabled", true);
        c.shortcut = j.value("shortcut", "");
        if (j.contains("items")) {
            for (const auto& it : j["items"]) {
                if (!it.is_array() || it.size() < 2 || it.size() > 3 || !it[0].is_string() ||
                    !fits_int(it[1]) || (it.size() == 3 && !it[2].is_string())) {
                    fail("control " + c.name +
                         ": list items are [label, integer value] or [label, integer value, "
                         "shortcut]");
                    break;
                }
                c.items.push_back({it[0].get<std::string>(), it[1].get<int>(),
                                   it.size() == 3 ? it[2].get<std::string>() : std::string()});
            }
        }
        switch (c.type) {
            case CtrlType::Numeric:
                if (c.is_real)
                    c.value = j.value("value", 0.0);
                else
                    c.value = integer(j, "value", 0, where);
                break;
            case CtrlType::Text:
            case CtrlType::Label:
                c.value = j.value("value", std::string());
                break;
            case CtrlType::Ring:
            case CtrlType::ListBox:
                c.index = c.items.empty() ? -1 : integer(j, "index", 0, where);
                // An index outside the items selects the first one, never a slot past them.
                if (!c.items.empty() &&
                    (c.index < 0 || c.index >= static_cast<int>(c.items.size())))
                    c.index = 0;
                c.value = c.index >= 0 ? c.items[c.index].value : 0;
                break;
            case CtrlType::TextBox:
                c.value = std::string();
                break;
            default:
                c.value = integer(j, "value", 0, where);
        }
        return c;
    }

    MenuItem menu_item(const json& j, int& next_id) {
        MenuItem m;
        m.id = next_id++;
        m.separator = j.value("separator", false);
        m.name = j.value("name", "");
        m.label = j.value("label", "");
        m.callback = j.value("callback", "");
        m.shortcut = j.value("shortcut", "");
        m.checked = j.value("checked", false);
        m.dimmed = j.value("dimmed", false);
        if (!m.separator && m.name.empty()) fail("menu item \"" + m.label + "\" has no name");
        if (j.contains("items"))
            for (const auto& sub : j["items"]) m.items.push_back(menu_item(sub, next_id));
        return m;
    }
};

}  // namespace

ResourceResult ReadResourceText(const std::string& text, const std::string& file_name) {
    ResourceResult out;
    json j;
    try {
        j = json::parse(text);
    } catch (const json::exception& e) {
        out.error = file_name + ": " + e.what();
        return out;
    }
    Reader r;
    try {
        Panel& p = out.resource.panel;
        p.resource = file_name;
        p.name = j.value("name", "");
        if (p.name.empty()) r.fail("the panel has no name");
        p.title = j.value("title", "");
        p.callback = j.value("callback", "");
        if (j.contains("size")) {
            const json& size = j["size"];
            if (size.is_array() && size.size() == 2 && fits_int(size[0]) && fits_int(size[1])) {
                p.width = size[0].get<int>();
                p.height = size[1].get<int>();
            } else {
                r.fail("\"size\" is [width, height] in whole pixels");
            }
        }
        int next_ctrl = 1;
        for (const auto& box : j.value("boxes", json::array())) {
            LayoutBox b;
            b.title = box.value("title", "");
            b.column = r.integer(box, "column", 0, "box \"" + b.title + "\"");
            b.stretch = box.value("stretch", false);
            b.captions_beside = box.value("captions_beside", false);
            int row_id = 0;
            for (const auto& entry : box.value("controls", json::array())) {
                if (entry.contains("row")) {
                    for (const auto& c : entry["row"]) {
                        p.controls.push_back(r.control(c, next_ctrl++));
                        b.controls.push_back(p.controls.back().id);
                        b.rows.push_back(row_id);
                    }
                    ++row_id;
                } else {
                    p.controls.push_back(r.control(entry, next_ctrl++));
                    b.controls.push_back(p.controls.back().id);
                    b.rows.push_back(-1);
                }
            }
            p.boxes.push_back(std::move(b));
        }
        for (const auto& t : j.value("toolbar", json::array())) {
            if (!t.is_object() || !t.contains("panel") || !t["panel"].is_string() ||
                !t.contains("control") || !t["control"].is_string()) {
                r.fail("a tool-bar entry is {\"panel\": NAME, \"control\": NAME}");
                continue;
            }
            p.toolbar.push_back({t["panel"].get<std::string>(), t["control"].get<std::string>()});
        }
        for (const auto& c : j.value("hidden_controls", json::array()))
            p.controls.push_back(r.control(c, next_ctrl++));
        std::map<std::string, int> seen;
        for (const auto& c : p.controls)
            if (++seen[c.name] > 1) r.fail("control name " + c.name + " is used twice");
        if (j.contains("menubar")) {
            MenuBar mb;
            mb.name = j["menubar"].value("name", "MENUBAR");
            int next_id = 1;
            for (const auto& m : j["menubar"].value("menus", json::array()))
                mb.menus.push_back(r.menu_item(m, next_id));
            out.resource.menubar = std::move(mb);
        }
    } catch (const json::exception& e) {
        r.fail(e.what());
    }
    if (!r.error.empty()) out.error = file_name + ": " + r.error;
    return out;
}

ResourceResult ReadResourceFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ResourceResult out;
        out.error = path + ": cannot be opened";
        return out;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    const auto slash = path.find_last_of('/');
    return ReadResourceText(ss.str(), slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace ui
