// Short reads of panel values for code that only needs the value.
#pragma once

#include <string>

#include "platform/ui/runtime.h"

namespace shell {

inline int get_int(const ui::Runtime& ui, int panel, int ctrl) {
    int v = 0;
    ui.GetCtrlVal(panel, ctrl, &v);
    return v;
}

inline double get_double(const ui::Runtime& ui, int panel, int ctrl) {
    double v = 0;
    ui.GetCtrlVal(panel, ctrl, &v);
    return v;
}

inline std::string get_text(const ui::Runtime& ui, int panel, int ctrl) {
    std::string v;
    ui.GetCtrlVal(panel, ctrl, &v);
    return v;
}

}  // namespace shell
