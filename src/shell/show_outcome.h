// Shows the message an operation's outcome carries, as a panel callback (or the command line)
// does after calling the operation's inner function.
#pragma once

#include "core/status.h"
#include "platform/ui/runtime.h"

namespace shell {

inline void show_outcome(ui::Runtime& ui, const core::Status& s) {
    if (!s.title.empty() || !s.text.empty()) ui.MessagePopup(s.title, s.text);
}

// Runs a board sequence with the timer callbacks suspended and shows its message before they
// resume, so no board-presence check runs in between.
template <class Op>
core::Status run_and_show(ui::Runtime& ui, Op op) {
    ui.SuspendTimerCallbacks();
    const core::Status s = op();
    show_outcome(ui, s);
    ui.ResumeTimerCallbacks();
    return s;
}

}  // namespace shell
