#include "platform/ui/recording_frontend.h"

#include "platform/ui/events.h"

namespace ui {

void RecordingFrontend::keep(Popup::Kind kind, const std::string& title, const std::string& text) {
    popups.push_back({kind, title, text});
    if (scripted_confirm && echo) *echo << title << ": " << text << std::endl;
}

void RecordingFrontend::message(const std::string& title, const std::string& text) {
    keep(Popup::Message, title, text);
    if (!scripted_confirm) inner_.message(title, text);
}

int RecordingFrontend::confirm(const std::string& title, const std::string& text) {
    keep(Popup::Confirm, title, text);
    return scripted_confirm ? *scripted_confirm : inner_.confirm(title, text);
}

int RecordingFrontend::prompt(const std::string& title, const std::string& text, int max_length,
                              std::string& answer) {
    keep(Popup::Prompt, title, text);
    return scripted_confirm ? -1 : inner_.prompt(title, text, max_length, answer);
}

int RecordingFrontend::file_select(const FileSelectRequest& req, std::string& path) {
    keep(Popup::FileSelect, req.title, req.pattern);
    return scripted_confirm ? VAL_NO_FILE_SELECTED : inner_.file_select(req, path);
}

void RecordingFrontend::stdout_line(const std::string& text) {
    stdout_lines.push_back(text);
    inner_.stdout_line(text);
}

}  // namespace ui
