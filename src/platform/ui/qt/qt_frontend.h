// The desktop front-end: draws the run-time's model as Qt widgets (built generically from each
// control's type), shows the popups, runs the event loop and turns what a person does into the
// run-time's user actions. Build it after the QApplication.
#pragma once

#include <memory>

#include "platform/ui/frontend.h"

class QMainWindow;
class QWidget;

namespace ui::qt {

class QtFrontend final : public Frontend {
  public:
    QtFrontend();
    ~QtFrontend() override;
    QtFrontend(const QtFrontend&) = delete;
    QtFrontend& operator=(const QtFrontend&) = delete;

    void attach(Runtime& rt) override;

    void message(const std::string& title, const std::string& text) override;
    int confirm(const std::string& title, const std::string& text) override;
    int prompt(const std::string& title, const std::string& text, int max_length,
               std::string& answer) override;
    int file_select(const FileSelectRequest& req, std::string& path) override;

    void run_loop() override;
    void quit_loop() override;
    void process_events() override;
    // A nested loop until the person commits a control or clicks a graph; -1 when the program
    // quits first.
    int wait_user_event(int* panel, int* control) override;
    // Repaints and moves the busy indicator; dispatches no user input and no timer callback.
    void keep_alive() override;
    void changed(const Change& c) override;
    void set_mouse_cursor(int cursor) override;

    int print(int panel, int control, bool low_resolution) override;
    int html_to_pdf(const std::string& html, std::string& pdf) override;
    int copy_panel_to_clipboard(int panel) override;
    void help(const std::string& path, int mode) override;
    // Shows the line in the standard-output window and writes it to standard output.
    void stdout_line(const std::string& text) override;
    // A window-modal progress dialog; its cancel button is the one input taken meanwhile.
    bool progress(const std::string& title, const std::string& text, double fraction) override;
    void progress_done() override;

    // True once the person closed the window during a long operation and chose to stop it and
    // quit: the operation should end at its next step (the board port asks this).
    bool stop_asked() const;
    // Stops a running operation at its next step, then ends the event loop (a signal to quit).
    void stop_and_quit();

    // The windows, for the program and for anyone looking at them.
    QMainWindow* main_window() const;
    // A loaded panel's widget (built when first needed); null for no such panel.
    QWidget* panel_widget(int panel);
    // Builds the widgets of every loaded panel, so their timers run; the loop does this.
    void build_views();

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace ui::qt
