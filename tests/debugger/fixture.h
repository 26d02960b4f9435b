// A connected system on a simulated board whose DSP core the debugger drives; the board's log
// gives the debugger words on the wire, the core its state.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "debugtools/debugger/commands.h"
#include "support/wire_app.h"

namespace debugger_test {

using simboard::LogEntry;

class Debugger : public ::testing::Test {
  protected:
    void SetUp() override {
        board = &t.add_board(4);
        t.start();
        t.connect();
        board->clear_log();
    }

    simboard::DspCore& core() { return board->dsp(); }

    // The words written to the debugger's registers, in order: (port address, word).
    std::vector<std::pair<int, int>> debugger_writes() const {
        std::vector<std::pair<int, int>> out;
        for (const auto& e : board->log())
            if (e.kind == LogEntry::Kind::PortWrite &&
                (e.a == debugger::DEB_DATA || e.a == debugger::DEB_STAT))
                out.emplace_back(static_cast<int>(e.a), static_cast<int>(e.b));
        return out;
    }
    int port_reads(int address) const {
        int n = 0;
        for (const auto& e : board->log())
            n += e.kind == LogEntry::Kind::PortRead && static_cast<int>(e.a) == address;
        return n;
    }
    bool armed() { return (board->chip().port_word(debugger::TEST0) & 0x2000) != 0; }

    testing_support::WireApp t;
    simboard::SimBoard* board = nullptr;
};

}  // namespace debugger_test
