// A connected simulated board with its traffic recorded, a scratch folder and the tools'
// panel callbacks at hand.
#pragma once

#include <gtest/gtest.h>

#include "chipfiles/temp_dir.h"
#include "support/wire_app.h"

namespace testing_support {

struct ToolsRig {
    explicit ToolsRig(int code = 4) : board(t.add_board(code)) {
        t.start();
        t.connect();
        board.clear_log();
    }

    WireApp t;
    simboard::SimBoard& board;
    TempDir dir;

    App& app() { return *t; }
    std::vector<std::string> messages() const { return t.frontend.messages(); }
    const std::vector<std::string>& output() const { return t.frontend.stdout_lines; }
    // Log entries of one kind.
    std::vector<simboard::LogEntry> logged(simboard::LogEntry::Kind kind) const {
        std::vector<simboard::LogEntry> out;
        for (const auto& e : board.log())
            if (e.kind == kind) out.push_back(e);
        return out;
    }
    int control_dimmed(int ctrl) const {
        return t.app->ui.control(t.app->shell.controlpanel, ctrl)->dimmed ? 1 : 0;
    }
};

}  // namespace testing_support
