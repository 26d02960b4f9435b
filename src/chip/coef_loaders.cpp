#include "chip/coef_loaders.h"

#include "chip/registers.h"
#include "shell/app.h"

namespace chip {

namespace {

struct LoaderText {
    int command;
    const char* dialog_title;
    const char* done_title;
    const char* done_text;
    const char* what;
};

const LoaderText& text_for(WordFileKind kind) {
    static const LoaderText kFir{WR_FIR_COEF, "Select FIR coefficient file",
                                 "FIR Coefficient Write Complete",
                                 "FIR coefficient write completed successfully.", "FIR"};
    static const LoaderText kIir{WR_IIR_COEF, "Select IIR coefficient file",
                                 "IIR Coefficient Write Complete",
                                 "IIR coefficient write completed successfully.", "IIR"};
    static const LoaderText kTbs{WR_TBS_DATA, "Select TBS data file", "TBS Data Write Complete",
                                 "TBS data write completed successfully.", "TBS"};
    switch (kind) {
        case WordFileKind::Fir:
            return kFir;
        case WordFileKind::Iir:
            return kIir;
        default:
            return kTbs;
    }
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
        default:
            return "File " + path + " cannot be read. Nothing was sent.";
    }
}

int load_with_dialog(App& app, WordFileKind kind) {
    std::string path;
    if (app.ui.FileSelectPopup("", "", "", text_for(kind).dialog_title, ui::VAL_LOAD_BUTTON, false,
                               &path) == ui::VAL_NO_FILE_SELECTED)
        return 0;
    send_word_file(app, kind, path);
    return 0;
}

}  // namespace

int send_word_file(App& app, WordFileKind kind, const std::string& path) {
    const LoaderText& t = text_for(kind);
    // The reader's result holds up to 2048 words: keep it off the stack.
    auto file = std::make_unique<WordFile>(read_word_file(path, kind));
    if (const std::string why = problem(*file, kind, path); !why.empty()) {
        app.ui.MessagePopup("File Error", why);
        return 0;
    }
    for (std::size_t i = 0; i < file->count; i += 2) {
        int d1 = static_cast<int>(file->words[i]);
        int d2 = static_cast<int>(file->words[i + 1]);  // zero past an odd count
        DSP_command(app, t.command, &d1, &d2, 0);
    }
    app.ui.MessagePopup(t.done_title, t.done_text);
    return 1;
}

int load_fir_coef(App& app) {
    return load_with_dialog(app, WordFileKind::Fir);
}
int load_iir_coef(App& app) {
    return load_with_dialog(app, WordFileKind::Iir);
}
int load_tbs_data(App& app) {
    return load_with_dialog(app, WordFileKind::Tbs);
}

void coef_loader_callbacks(App& app) {
    auto on_commit = [&app](const char* name, int (*fn)(App&)) {
        app.callbacks.add_ctrl(name, [&app, fn](int, int, int event, void*) {
            if (event == ui::EVENT_COMMIT) fn(app);
            return 0;
        });
    };
    on_commit("load_fir_coef_cmd", load_fir_coef);
    on_commit("load_iir_coef_cmd", load_iir_coef);
    on_commit("load_tbs_data_cmd", load_tbs_data);
}

}  // namespace chip
