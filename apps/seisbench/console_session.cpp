#include "seisbench/console_session.h"

#include <QString>

#include <iostream>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "platform/ui/recording_frontend.h"

namespace seisbench {

ConsoleSession::ConsoleSession(App& app, ui::RecordingFrontend& frontend, simboard::SimBoard* sim)
    : frontend_(frontend), ctx_{app, frontend, false, out_, err_, sim} {
    cli::add_all_commands();
}

ui::qt::ConsoleReply ConsoleSession::run(const std::string& line, bool json) {
    ctx_.json = json;
    const cli::Result r = cli::run_line(ctx_, line);
    ui::qt::ConsoleReply reply{r.status, out_.str() + err_.str(), r.error};
    out_.str({});
    err_.str({});
    last_error_ = r.error;
    if (echo_) std::cout << reply.text << std::flush;
    return reply;
}

int ConsoleSession::run_script(ui::qt::Console& console, const std::vector<std::string>& lines,
                               bool yes_to_confirm) {
    frontend_.scripted_confirm = yes_to_confirm ? 1 : 0;
    frontend_.echo = &std::cerr;
    echo_ = true;
    // Only the script's own verdicts count toward its status, not those of lines typed before.
    ctx_.failed_verdicts = 0;
    int status = cli::kOk;
    for (const std::string& line : lines) {
        status = console.run(QString::fromStdString(line));
        if (status != cli::kOk) {
            std::cerr << "seisbench: " << line << ": " << last_error_ << "\n";
            break;
        }
    }
    echo_ = false;
    frontend_.echo = nullptr;
    frontend_.scripted_confirm.reset();
    if (status == cli::kOk && ctx_.failed_verdicts > 0) return cli::kLimitsFailed;
    return status;
}

}  // namespace seisbench
