// A front-end with no display: popups are answered from a script and recorded, user actions
// are queued and run by the event loop. Tests and seisbench-cli use it.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/frontend.h"
#include "platform/ui/record.h"

namespace ui {

class HeadlessFrontend : public Frontend, public Record {
  public:
    struct Action {
        enum Kind { Run, Commit, SetValue, SetIndex, Click, Close, Menu, RightClick };
        Kind kind = Run;
        int panel = 0, control = 0;
        double x = 0, y = 0;
        std::string text;
        bool is_text = false;
        std::function<void(Runtime&)> fn;
    };

    // Answers of the popups, consumed in order. An empty queue answers a confirm with
    // default_confirm, and cancels prompts and file dialogs.
    std::deque<int> confirms;
    int default_confirm = 0;
    std::deque<std::optional<std::string>> prompts;
    std::deque<std::optional<std::string>> files;

    // What the system showed, besides the popups and lines of the record.
    std::vector<std::string> help_requests;
    // Progress updates shown so far, and the update at which the person cancels (-1 never).
    int progress_updates = 0;
    int cancel_progress_at = -1;
    std::string last_progress;
    int prints = 0, clipboard_copies = 0;
    int print_result = 0;  // what the printer reports: 0 printed
    bool last_print_low_res = false;

    // Popups and standard-output lines are also written here when set ("TITLE: TEXT").
    std::ostream* echo = nullptr;
    // Whether standard-output lines are echoed as well.
    bool echo_output = true;
    // When set, standard-output lines are also written here at once, as a program's output
    // shows while it runs.
    std::ostream* output = nullptr;

    // User actions, run by the event loop (and by GetUserEvent waits) in order.
    void run(std::function<void(Runtime&)> fn);
    void commit(int panel, int control);
    void set_value(int panel, int control, double value);
    void set_text(int panel, int control, const std::string& text);
    void set_index(int panel, int control, int index);
    void click_graph(int panel, int control, double x, double y);
    void close(int panel);
    void menu(int menubar, int item);
    void right_click(int panel, int control);
    size_t pending() const { return actions_.size(); }

    // Messages shown so far, as "title|text" pairs, for compact test assertions.
    std::vector<std::string> messages() const;

    void attach(Runtime& rt) override { rt_ = &rt; }
    void message(const std::string& title, const std::string& text) override;
    int confirm(const std::string& title, const std::string& text) override;
    int prompt(const std::string& title, const std::string& text, int max_length,
               std::string& answer) override;
    int file_select(const FileSelectRequest& req, std::string& path) override;
    void run_loop() override;
    void quit_loop() override {}
    // Runs the next queued user action, if any: one event per call, so a test places each
    // action between two steps of a loop that lets events through.
    void process_events() override;
    // -1 when the script holds no further user action.
    int wait_user_event(int* panel, int* control) override;
    int print(int panel, int control, bool low_resolution) override;
    // No page layout engine without a display toolkit: always refused.
    int html_to_pdf(const std::string& html, std::string& pdf) override;
    int copy_panel_to_clipboard(int panel) override;
    void help(const std::string& path, int mode) override;
    void stdout_line(const std::string& text) override;
    bool progress(const std::string& title, const std::string& text, double fraction) override;

  private:
    void perform(const Action& a);
    void record(Popup::Kind kind, const std::string& title, const std::string& text);

    Runtime* rt_ = nullptr;
    std::deque<Action> actions_;
};

}  // namespace ui
