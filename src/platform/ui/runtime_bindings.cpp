// The run-time: fields bound to controls.
#include "platform/ui/runtime.h"

#include <type_traits>

#include "platform/ui/control_state.h"

namespace ui {

using namespace detail;

template <class T>
int Runtime::bind_as(int panel, int ctrl, T* field) {
    const Control* c = control(panel, ctrl);
    if (!c) return UIE_NO_SUCH_CONTROL;
    if (!field || is_text(*c) != std::is_same_v<T, std::string>) return UIE_WRONG_TYPE;
    std::erase_if(bindings_, [&](const Binding& b) { return b.panel == panel && b.ctrl == ctrl; });
    bindings_.push_back({panel, ctrl, field});
    take_bound(panel, ctrl);
    return 0;
}

int Runtime::Bind(int panel, int ctrl, int* field) {
    return bind_as(panel, ctrl, field);
}
int Runtime::Bind(int panel, int ctrl, double* field) {
    return bind_as(panel, ctrl, field);
}
int Runtime::Bind(int panel, int ctrl, std::string* field) {
    return bind_as(panel, ctrl, field);
}

int Runtime::ShowBound(const void* field) {
    const Binding* found = binding_of(field);
    if (!found) return UIE_NO_SUCH_CONTROL;
    const Binding b = *found;  // the control's change notice walks the bindings
    const int s = std::visit([&](auto* f) { return SetCtrlVal(b.panel, b.ctrl, *f); }, b.field);
    // A value the control refuses leaves the field as the control still holds it.
    if (s < 0) take_bound(b.panel, b.ctrl);
    return s;
}

const Runtime::Binding* Runtime::binding_of(const void* field) const {
    for (const Binding& b : bindings_)
        if (std::visit([&](auto* f) { return static_cast<const void*>(f) == field; }, b.field))
            return &b;
    return nullptr;
}

const Control* Runtime::bound_control(const void* field) const {
    const Binding* b = binding_of(field);
    return b ? control(b->panel, b->ctrl) : nullptr;
}

void Runtime::take_bound(int panel, int ctrl) {
    for (const Binding& b : bindings_) {
        if (b.panel != panel || b.ctrl != ctrl) continue;
        std::visit([&](auto* f) { GetCtrlVal(panel, ctrl, f); }, b.field);
        return;
    }
}

}  // namespace ui
