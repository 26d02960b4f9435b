// Short reads of panel values for code that only needs the number.
#pragma once

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

}  // namespace shell
