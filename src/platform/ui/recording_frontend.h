// A front-end in front of another: it passes everything on and keeps the record of popups and
// standard-output lines, so the command table can run against a program with a display. While
// a script runs, it answers the popups itself (no dialog waits for a person).
#pragma once

#include <optional>
#include <ostream>

#include "platform/ui/frontend.h"
#include "platform/ui/record.h"

namespace ui {

class RecordingFrontend final : public Frontend, public Record {
  public:
    explicit RecordingFrontend(Frontend& inner) : inner_(inner) {}

    // Set while a script runs: confirmations get this answer (1 yes, 0 no), prompts and file
    // dialogs are cancelled, and messages are written to echo ("TITLE: TEXT") instead of shown.
    std::optional<int> scripted_confirm;
    std::ostream* echo = nullptr;

    void attach(Runtime& rt) override { inner_.attach(rt); }
    void message(const std::string& title, const std::string& text) override;
    int confirm(const std::string& title, const std::string& text) override;
    int prompt(const std::string& title, const std::string& text, int max_length,
               std::string& answer) override;
    int file_select(const FileSelectRequest& req, std::string& path) override;
    void run_loop() override { inner_.run_loop(); }
    void quit_loop() override { inner_.quit_loop(); }
    void process_events() override { inner_.process_events(); }
    int wait_user_event(int* panel, int* control) override {
        return inner_.wait_user_event(panel, control);
    }
    void keep_alive() override { inner_.keep_alive(); }
    void changed(const Change& c) override { inner_.changed(c); }
    void set_mouse_cursor(int cursor) override { inner_.set_mouse_cursor(cursor); }
    int print(int panel, int control, bool low_resolution) override {
        return inner_.print(panel, control, low_resolution);
    }
    int html_to_pdf(const std::string& html, std::string& pdf) override {
        return inner_.html_to_pdf(html, pdf);
    }
    int copy_panel_to_clipboard(int panel) override {
        return inner_.copy_panel_to_clipboard(panel);
    }
    void help(const std::string& path, int mode) override { inner_.help(path, mode); }
    void stdout_line(const std::string& text) override;
    bool progress(const std::string& title, const std::string& text, double fraction) override {
        return inner_.progress(title, text, fraction);
    }
    void progress_done() override { inner_.progress_done(); }

  private:
    void keep(Popup::Kind kind, const std::string& title, const std::string& text);

    Frontend& inner_;
};

}  // namespace ui
