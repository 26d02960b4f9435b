#include "platform/ui/headless_frontend.h"

#include "platform/ui/runtime.h"

namespace ui {

namespace {
HeadlessFrontend::Action make(HeadlessFrontend::Action::Kind kind, int panel, int control) {
    HeadlessFrontend::Action a;
    a.kind = kind;
    a.panel = panel;
    a.control = control;
    return a;
}
}  // namespace

void HeadlessFrontend::run(std::function<void(Runtime&)> fn) {
    Action a;
    a.fn = std::move(fn);
    actions_.push_back(std::move(a));
}
void HeadlessFrontend::commit(int panel, int control) {
    actions_.push_back(make(Action::Commit, panel, control));
}
void HeadlessFrontend::set_value(int panel, int control, double value) {
    Action a = make(Action::SetValue, panel, control);
    a.x = value;
    actions_.push_back(a);
}
void HeadlessFrontend::set_text(int panel, int control, const std::string& text) {
    Action a = make(Action::SetValue, panel, control);
    a.text = text;
    a.is_text = true;
    actions_.push_back(a);
}
void HeadlessFrontend::set_index(int panel, int control, int index) {
    Action a = make(Action::SetIndex, panel, control);
    a.x = index;
    actions_.push_back(a);
}
void HeadlessFrontend::click_graph(int panel, int control, double x, double y) {
    Action a = make(Action::Click, panel, control);
    a.x = x;
    a.y = y;
    actions_.push_back(a);
}
void HeadlessFrontend::close(int panel) {
    actions_.push_back(make(Action::Close, panel, 0));
}
void HeadlessFrontend::menu(int menubar, int item) {
    actions_.push_back(make(Action::Menu, menubar, item));
}
void HeadlessFrontend::right_click(int panel, int control) {
    actions_.push_back(make(Action::RightClick, panel, control));
}

std::vector<std::string> HeadlessFrontend::messages() const {
    std::vector<std::string> out;
    for (const auto& p : popups)
        if (p.kind == Popup::Message) out.push_back(p.title + "|" + p.text);
    return out;
}

void HeadlessFrontend::record(Popup::Kind kind, const std::string& title, const std::string& text) {
    popups.push_back({kind, title, text});
    if (echo) *echo << title << ": " << text << std::endl;
}

void HeadlessFrontend::message(const std::string& title, const std::string& text) {
    record(Popup::Message, title, text);
}
int HeadlessFrontend::confirm(const std::string& title, const std::string& text) {
    record(Popup::Confirm, title, text);
    if (confirms.empty()) return default_confirm;
    const int a = confirms.front();
    confirms.pop_front();
    return a;
}
int HeadlessFrontend::prompt(const std::string& title, const std::string& text, int max_length,
                             std::string& answer) {
    (void)max_length;
    record(Popup::Prompt, title, text);
    if (prompts.empty()) return -1;
    auto a = prompts.front();
    prompts.pop_front();
    if (!a) return -1;
    answer = *a;
    return 0;
}
int HeadlessFrontend::file_select(const FileSelectRequest& req, std::string& path) {
    record(Popup::FileSelect, req.title, req.pattern);
    if (files.empty()) return 0;
    auto a = files.front();
    files.pop_front();
    if (!a) return 0;
    path = *a;
    return 1;
}

void HeadlessFrontend::perform(const Action& a) {
    Runtime& rt = *rt_;
    switch (a.kind) {
        case Action::Run:
            a.fn(rt);
            break;
        case Action::Commit:
            rt.UserCommit(a.panel, a.control);
            break;
        case Action::SetValue:
            if (a.is_text)
                rt.UserSetValue(a.panel, a.control, a.text);
            else
                rt.UserSetValue(a.panel, a.control, a.x);
            break;
        case Action::SetIndex:
            rt.UserSetIndex(a.panel, a.control, static_cast<int>(a.x));
            break;
        case Action::Click:
            rt.UserMoveCursor(a.panel, a.control, a.x, a.y);
            break;
        case Action::Close:
            rt.UserClosePanel(a.panel);
            break;
        case Action::Menu:
            rt.UserMenu(a.panel, a.control);
            break;
        case Action::RightClick:
            rt.UserRightClick(a.panel, a.control);
            break;
    }
}

void HeadlessFrontend::run_loop() {
    while (!rt_->quitting() && !actions_.empty()) {
        Action a = std::move(actions_.front());
        actions_.pop_front();
        perform(a);
    }
}

void HeadlessFrontend::process_events() {
    if (actions_.empty()) return;
    Action a = std::move(actions_.front());
    actions_.pop_front();
    perform(a);
}

int HeadlessFrontend::wait_user_event(int* panel, int* control) {
    while (!actions_.empty()) {
        Action a = std::move(actions_.front());
        actions_.pop_front();
        if (a.kind == Action::Click) {
            rt_->UserMoveCursor(a.panel, a.control, a.x, a.y, false);
            *panel = a.panel;
            *control = a.control;
            return EVENT_COMMIT;
        }
        if (a.kind == Action::Commit) {
            *panel = a.panel;
            *control = a.control;
            return EVENT_COMMIT;
        }
        perform(a);
    }
    return -1;
}

int HeadlessFrontend::print(int panel, int control, bool low_resolution) {
    (void)panel;
    (void)control;
    ++prints;
    last_print_low_res = low_resolution;
    return print_result;
}
int HeadlessFrontend::html_to_pdf(const std::string& html, std::string& pdf) {
    (void)html;
    (void)pdf;
    return -1;
}

int HeadlessFrontend::copy_panel_to_clipboard(int panel) {
    (void)panel;
    ++clipboard_copies;
    return 0;
}
void HeadlessFrontend::help(const std::string& path, int mode) {
    help_requests.push_back(path + (mode == HELP_SEARCH ? "#search" : "#contents"));
}
bool HeadlessFrontend::progress(const std::string& title, const std::string& text, double) {
    last_progress = title + ": " + text;
    return ++progress_updates != cancel_progress_at;
}
void HeadlessFrontend::stdout_line(const std::string& text) {
    stdout_lines.push_back(text);
    if (echo && echo_output) *echo << text << std::endl;
    if (output) *output << text << "\n" << std::flush;
}

}  // namespace ui
