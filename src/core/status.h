// The outcome of a system operation: success, or which step failed, why, and the message the
// person is shown for it. Callers decide on `fault`, never on the message text.
#pragma once

#include <string>
#include <utility>

namespace core {

enum class Fault {
    None,
    NoBoard,          // no board attached, or it could not be opened or identified
    NotCustomer,      // firmware is not a customer build
    NoReply,          // the board did not answer within the time limit
    WrongReply,       // the board answered with an unexpected reply
    NotAcknowledged,  // the board refused a request
    NotAllowed,       // the operation is not possible in the current state
    Cancelled,        // the person declined a confirmation or a dialog, or stopped the operation
    BadInput,         // a file or a value could not be used; nothing was sent
    Overrun,          // data were lost on the way
    FileError,        // a file could not be written; an earlier one is left as it was
};

// Stable lower-case names for scripts (JSON).
inline const char* fault_name(Fault f) {
    switch (f) {
        case Fault::None:
            return "none";
        case Fault::NoBoard:
            return "no_board";
        case Fault::NotCustomer:
            return "not_customer";
        case Fault::NoReply:
            return "no_reply";
        case Fault::WrongReply:
            return "wrong_reply";
        case Fault::NotAcknowledged:
            return "not_acknowledged";
        case Fault::NotAllowed:
            return "not_allowed";
        case Fault::Cancelled:
            return "cancelled";
        case Fault::BadInput:
            return "bad_input";
        case Fault::Overrun:
            return "overrun";
        case Fault::FileError:
            return "file_error";
    }
    return "unknown";
}

struct Status {
    Fault fault = Fault::None;
    std::string step;   // the step that failed ("FL_STOP", "set_filter_parameters"...)
    std::string title;  // the message shown for this outcome; empty when none is shown
    std::string text;

    bool ok() const { return fault == Fault::None; }
    explicit operator bool() const { return ok(); }

    static Status success(std::string title = {}, std::string text = {}) {
        return Status{Fault::None, {}, std::move(title), std::move(text)};
    }
    static Status failed(Fault f, std::string step, std::string title = {}, std::string text = {}) {
        return Status{f, std::move(step), std::move(title), std::move(text)};
    }
    // The same outcome with the message the person is shown for it.
    Status with_message(std::string t, std::string x) const {
        Status s = *this;
        s.title = std::move(t);
        s.text = std::move(x);
        return s;
    }
};

}  // namespace core
