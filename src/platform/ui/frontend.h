// The only way the run-time reaches a person. The headless front-end answers from a script
// (tests, the command line); the Qt front-end draws the model as widgets.
#pragma once

#include <string>

namespace ui {

class Runtime;

struct FileSelectRequest {
    std::string directory;
    std::string default_name;
    std::string pattern;  // e.g. "*.dat"
    std::string title;
    int button = 0;  // FileSelectButton
    bool restrict_extension = false;
};

// What changed in the model, so a front-end can bring its view in line.
struct Change {
    enum Kind {
        PanelShown,
        PanelHidden,
        PanelActivated,
        PanelTitle,
        Control,
        ListItems,
        Graph,
        MenuBar,
        Cursor
    };
    Kind kind;
    int panel = 0;
    int control = 0;
};

class Frontend {
  public:
    virtual ~Frontend() = default;

    virtual void attach(Runtime& rt) { (void)rt; }

    virtual void message(const std::string& title, const std::string& text) = 0;
    // 1 = yes, 0 = no.
    virtual int confirm(const std::string& title, const std::string& text) = 0;
    // 0 = answered (text in answer), negative = cancelled.
    virtual int prompt(const std::string& title, const std::string& text, int max_length,
                       std::string& answer) = 0;
    // FileSelectResult; the chosen path in path.
    virtual int file_select(const FileSelectRequest& req, std::string& path) = 0;

    // The event loop: returns when the run-time asks it to quit.
    virtual void run_loop() = 0;
    virtual void quit_loop() = 0;
    // Lets pending events run (user input and timers included).
    virtual void process_events() = 0;
    // Waits for the next user event and returns its code with its panel and control; the
    // control's callback is not called.
    virtual int wait_user_event(int* panel, int* control) = 0;
    // Called regularly while system code blocks: repaint, move busy indicators, take no input.
    virtual void keep_alive() {}
    virtual void changed(const Change& c) { (void)c; }
    virtual void set_mouse_cursor(int cursor) { (void)cursor; }

    // 0 = printed. control 0 prints the whole panel.
    virtual int print(int panel, int control, bool low_resolution) = 0;
    // Lays out a self-contained HTML document (pictures as inline SVG) on PDF pages: 0 with
    // the document's bytes in pdf; non-zero where the front-end cannot (no display toolkit).
    // Every front-end answers for itself: one in front of another must pass it on.
    virtual int html_to_pdf(const std::string& html, std::string& pdf) = 0;
    // 0 = copied.
    virtual int copy_panel_to_clipboard(int panel) = 0;
    virtual void help(const std::string& path, int mode) = 0;
    virtual void stdout_line(const std::string& text) = 0;

    // A long operation's progress (fraction 0..1) in a window that offers to stop it; false
    // once the person asked to. progress_done closes the window.
    virtual bool progress(const std::string& title, const std::string& text, double fraction) {
        (void)title, (void)text, (void)fraction;
        return true;
    }
    virtual void progress_done() {}
};

}  // namespace ui
