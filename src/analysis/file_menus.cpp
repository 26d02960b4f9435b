#include "analysis/file_menus.h"

#include <functional>

#include "analysis/exports.h"
#include "analysis/report/report.h"
#include "shell/app.h"
#include "shell/show_outcome.h"

namespace analysis {

namespace {

void save_as(App& app, const char* title, const char* pattern,
             const std::function<core::Status(const std::string&)>& save) {
    std::string path;
    const int chosen = app.ui.FileSelectPopup(app.shell.projectDir, "", pattern, title,
                                              ui::VAL_SAVE_BUTTON, false, &path);
    if (chosen == ui::VAL_NO_FILE_SELECTED) return;
    const core::Status s = save(path);
    if (!s) shell::show_outcome(app.ui, s);
}

}  // namespace

void exportDataMenu(App& app) {
    save_as(app, "Export Data", "*.csv",
            [&app](const std::string& path) { return export_data_csv(app, path); });
}

void exportSpectrumMenu(App& app) {
    save_as(app, "Export Spectrum", "*.csv",
            [&app](const std::string& path) { return export_spectrum_csv(app, path); });
}

void saveReportMenu(App& app) {
    save_as(app, "Save Report", "*.html;*.pdf",
            [&app](const std::string& path) { return save_report(app, path).status; });
}

}  // namespace analysis
