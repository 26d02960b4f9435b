// Ctrl-C and SIGTERM during a run. The first asks the running operation to stop (a capture
// ends its stream) and ends the run after it, with exit status 128 + the signal's number; a
// second ends the program at once, as the signal would.
#pragma once

namespace cli {

// Catches the two signals while it lives and puts back what was there before.
class InterruptGuard {
  public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};

// The signal caught since the guard was made; 0 for none.
int interrupt_signal();

}  // namespace cli
