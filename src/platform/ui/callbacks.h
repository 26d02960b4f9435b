// Callbacks named in resource files are bound by name through this registry, so a resource
// can name a function that lives in any subsystem.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/events.h"

namespace ui {

// (panel, control, event, callback data)
using CtrlCallback = std::function<int(int, int, int, void*)>;
// (panel, event, callback data)
using PanelCallback = std::function<int(int, int, void*)>;
// (menu bar, menu item, callback data, panel)
using MenuCallback = std::function<void(int, int, void*, int)>;

class CallbackRegistry {
  public:
    // A name registered twice is a wiring fault: the first binding stays, the second is
    // refused and listed in refused(), which start-up reports and the tests check.
    bool add_ctrl(const std::string& name, CtrlCallback fn) {
        return add(ctrl_, name, std::move(fn));
    }
    bool add_panel(const std::string& name, PanelCallback fn) {
        return add(panel_, name, std::move(fn));
    }
    bool add_menu(const std::string& name, MenuCallback fn) {
        return add(menu_, name, std::move(fn));
    }
    const std::vector<std::string>& refused() const { return refused_; }

    const CtrlCallback* ctrl(const std::string& name) const { return find(ctrl_, name); }
    const PanelCallback* panel(const std::string& name) const { return find(panel_, name); }
    const MenuCallback* menu(const std::string& name) const { return find(menu_, name); }

  private:
    template <class M, class F>
    bool add(M& m, const std::string& name, F fn) {
        if (m.emplace(name, std::move(fn)).second) return true;
        refused_.push_back(name);
        return false;
    }
    template <class M>
    static const typename M::mapped_type* find(const M& m, const std::string& name) {
        auto it = m.find(name);
        return it == m.end() ? nullptr : &it->second;
    }
    std::map<std::string, CtrlCallback> ctrl_;
    std::map<std::string, PanelCallback> panel_;
    std::map<std::string, MenuCallback> menu_;
    std::vector<std::string> refused_;
};

// Binds a control callback that acts on one event only and returns 0, as every panel
// callback does.
template <class F>
void on_event(CallbackRegistry& cb, const std::string& name, int event, F fn) {
    cb.add_ctrl(name, [event, fn](int, int, int e, void*) {
        if (e == event) fn();
        return 0;
    });
}

template <class F>
void on_commit(CallbackRegistry& cb, const std::string& name, F fn) {
    on_event(cb, name, EVENT_COMMIT, std::move(fn));
}

// For fields that follow their value as it changes, not only when committed.
template <class F>
void on_change(CallbackRegistry& cb, const std::string& name, F fn) {
    cb.add_ctrl(name, [fn](int, int, int e, void*) {
        if (e == EVENT_COMMIT || e == EVENT_VAL_CHANGED) fn();
        return 0;
    });
}

}  // namespace ui
