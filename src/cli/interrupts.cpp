#include "cli/interrupts.h"

#include <csignal>

namespace cli {

namespace {

volatile std::sig_atomic_t caught = 0;
struct sigaction previous_int, previous_term;

void on_signal(int signal) {
    caught = signal;
}

}  // namespace

InterruptGuard::InterruptGuard() {
    caught = 0;
    struct sigaction action = {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    // The handler is taken back at once, so a second signal acts as if none were caught.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &previous_int);
    sigaction(SIGTERM, &action, &previous_term);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &previous_int, nullptr);
    sigaction(SIGTERM, &previous_term, nullptr);
}

int interrupt_signal() {
    return caught;
}

}  // namespace cli
