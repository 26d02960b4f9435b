// Callbacks named in resource files are bound by name through this registry, so a resource
// can name a function that lives in any subsystem.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace ui {

// (panel, control, event, callback data)
using CtrlCallback = std::function<int(int, int, int, void*)>;
// (panel, event, callback data)
using PanelCallback = std::function<int(int, int, void*)>;
// (menu bar, menu item, callback data, panel)
using MenuCallback = std::function<void(int, int, void*, int)>;

class CallbackRegistry {
  public:
    void add_ctrl(const std::string& name, CtrlCallback fn) { ctrl_[name] = std::move(fn); }
    void add_panel(const std::string& name, PanelCallback fn) { panel_[name] = std::move(fn); }
    void add_menu(const std::string& name, MenuCallback fn) { menu_[name] = std::move(fn); }

    const CtrlCallback* ctrl(const std::string& name) const { return find(ctrl_, name); }
    const PanelCallback* panel(const std::string& name) const { return find(panel_, name); }
    const MenuCallback* menu(const std::string& name) const { return find(menu_, name); }

  private:
    template <class M>
    static const typename M::mapped_type* find(const M& m, const std::string& name) {
        auto it = m.find(name);
        return it == m.end() ? nullptr : &it->second;
    }
    std::map<std::string, CtrlCallback> ctrl_;
    std::map<std::string, PanelCallback> panel_;
    std::map<std::string, MenuCallback> menu_;
};

}  // namespace ui
