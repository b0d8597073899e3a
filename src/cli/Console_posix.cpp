#include "cli/Console.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace console {

namespace {

// Set from a signal handler or the console's own thread, so lock-free.
std::atomic<int> stopsAsked{0};
static_assert(std::atomic<int>::is_always_lock_free);

struct sigaction previousInterrupt;
struct sigaction previousTerminate;

// Runs in the signal's context: a lock-free store is all it may do.
void noteStop(int /*signal*/) {
    stopsAsked.fetch_add(1);
}

}  // namespace

bool StopRequests::asked() const {
    return count() > 0;
}

int StopRequests::count() const {
    return stopsAsked.load();
}

bool stderrIsTerminal() {
    return isatty(fileno(stderr)) != 0;
}

StopRequests::StopRequests() {
    stopsAsked.store(0);
    struct sigaction action {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a read or write the signal interrupts goes on, and the
    // event loop's next wake-up sees the flag.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
}

StopRequests::~StopRequests() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
}

}  // namespace console
