#include "analysis/markers.h"

#include "analysis/analysis.h"
#include "analysis/context.h"
#include "uir_ids.h"

namespace analysis {

void cursor_to_peak(const Context& cx, bool next) {
    const AnalysisState& st = cx.analysis;
    int handle = st.stat_ch >= 0 && st.stat_ch < kChannels ? st.plot_handle[st.stat_ch] : 0;
    for (int c = 0; c < kChannels && handle == 0; ++c) handle = st.plot_handle[c];
    if (handle == 0) return;
    if (cx.ui.CursorToPeak(cx.shell.analysispanel, ANALYSIS_GRAPH, handle, next) == 0)
        update_cursor(cx);
}

}  // namespace analysis
