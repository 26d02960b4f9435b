#include "chip/coef_loaders.h"

#include <memory>

#include "chip/registers.h"
#include "shell/app.h"
#include "shell/show_outcome.h"

namespace chip {

namespace {

struct LoaderText {
    WordFileKind kind;
    int command;
    const char* command_name;
    const char* dialog_title;
    const char* done_title;
    const char* done_text;
};

constexpr LoaderText kLoaders[] = {
    {WordFileKind::Fir, WR_FIR_COEF, "WR_FIR_COEF", "Select FIR coefficient file",
     "FIR Coefficient Write Complete", "FIR coefficient write completed successfully."},
    {WordFileKind::Iir, WR_IIR_COEF, "WR_IIR_COEF", "Select IIR coefficient file",
     "IIR Coefficient Write Complete", "IIR coefficient write completed successfully."},
    {WordFileKind::Tbs, WR_TBS_DATA, "WR_TBS_DATA", "Select TBS data file",
     "TBS Data Write Complete", "TBS data write completed successfully."},
};

const LoaderText& text_for(WordFileKind kind) {
    for (const auto& t : kLoaders)
        if (t.kind == kind) return t;
    return kLoaders[0];
}

// Why nothing was sent, for the person; empty when the file is good.
std::string problem(const WordFile& f, WordFileKind kind, const std::string& path) {
    switch (f.error) {
        case ReadError::None:
            return "";
        case ReadError::BadItem:
            return "Line " + std::to_string(f.error_line) + " of " + path +
                   " is not a hexadecimal word. Nothing was sent.";
        case ReadError::TooManyItems:
            return path + " holds more than " + std::to_string(word_capacity(kind)) +
                   " words (line " + std::to_string(f.error_line) + "). Nothing was sent.";
        case ReadError::Folder:
        case ReadError::NotAFile:
        case ReadError::TooLarge:
            return "File " + path + " cannot be read: " + refusal_reason(f.error) +
                   ". Nothing was sent.";
        default:
            return "File " + path + " cannot be read. Nothing was sent.";
    }
}

int load_and_show(App& app, WordFileKind kind) {
    shell::show_outcome(app.ui, load_word_file(app, kind));
    return 0;
}

}  // namespace

core::Status send_word_file(App& app, WordFileKind kind, const std::string& path) {
    const LoaderText& t = text_for(kind);
    // The reader's result holds up to 2048 words: keep it off the stack.
    auto file = std::make_unique<WordFile>(read_word_file(path, kind));
    if (const std::string why = problem(*file, kind, path); !why.empty())
        return core::Status::failed(core::Fault::BadInput, "read word file", "File Error", why);
    // Every pair is sent even after one fails, as the loaders always did; the first failure
    // is the outcome.
    core::Status outcome = core::Status::success(t.done_title, t.done_text);
    for (std::size_t i = 0; i < file->count; i += 2) {
        int d1 = static_cast<int>(file->words[i]);
        int d2 = static_cast<int>(file->words[i + 1]);  // zero past an odd count
        const core::Status s = dsp_command(app.port, t.command, &d1, &d2, false);
        if (outcome.ok() && !s.ok())
            outcome = core::Status::failed(s.fault, t.command_name, t.done_title, t.done_text);
    }
    return outcome;
}

core::Status load_word_file(App& app, WordFileKind kind) {
    std::string path;
    if (app.ui.FileSelectPopup("", "", "", text_for(kind).dialog_title, ui::VAL_LOAD_BUTTON, false,
                               &path) == ui::VAL_NO_FILE_SELECTED)
        return core::Status::failed(core::Fault::Cancelled, "file selection");
    return send_word_file(app, kind, path);
}

int load_fir_coef(App& app) {
    return load_and_show(app, WordFileKind::Fir);
}
int load_iir_coef(App& app) {
    return load_and_show(app, WordFileKind::Iir);
}
int load_tbs_data(App& app) {
    return load_and_show(app, WordFileKind::Tbs);
}

void coef_loader_callbacks(App& app) {
    auto& cb = app.callbacks;
    ui::on_commit(cb, "load_fir_coef_cmd", [&app] { load_fir_coef(app); });
    ui::on_commit(cb, "load_iir_coef_cmd", [&app] { load_iir_coef(app); });
    ui::on_commit(cb, "load_tbs_data_cmd", [&app] { load_tbs_data(app); });
}

}  // namespace chip
