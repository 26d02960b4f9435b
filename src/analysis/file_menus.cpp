#include "analysis/file_menus.h"
#include "analysis/readouts.h"

#include <functional>

#include "analysis/context.h"
#include "analysis/exports.h"
#include "analysis/report/report.h"
#include "shell/show_outcome.h"

namespace analysis {

namespace {

void save_as(const Context& cx, const char* title, const char* pattern,
             const std::function<core::Status(const std::string&)>& save) {
    std::string path;
    const int chosen = cx.ui.FileSelectPopup(cx.shell.projectDir, "", pattern, title,
                                             ui::VAL_SAVE_BUTTON, false, &path);
    if (chosen == ui::VAL_NO_FILE_SELECTED) return;
    const core::Status s = save(path);
    if (!s) shell::show_outcome(cx.ui, s);
}

}  // namespace

void exportDataMenu(const Context& cx) {
    save_as(cx, "Export Data", "*.csv",
            [&cx](const std::string& path) { return export_data_csv(cx, path); });
}

void exportSpectrumMenu(const Context& cx) {
    // The digitizer tests show Welch densities, and that is what their export writes.
    const bool psd = is_digitizer_test(cx.analysis.measurement.test);
    save_as(cx, "Export Spectrum", "*.csv", [&cx, psd](const std::string& path) {
        return psd ? export_psd_csv(cx, path) : export_spectrum_csv(cx, path);
    });
}

void saveReportMenu(const Context& cx) {
    save_as(cx, "Save Report", "*.html;*.pdf",
            [&cx](const std::string& path) { return save_report(cx, path).status; });
}

}  // namespace analysis
