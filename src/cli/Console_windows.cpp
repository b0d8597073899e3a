#include "cli/Console.h"

#include <atomic>
#include <cstdio>

#include <io.h>
#include <windows.h>

namespace console {

namespace {

// Set from a signal handler or the console's own thread, so lock-free.
std::atomic<int> stopsAsked{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Runs on a thread the console starts for the event. Closing the console,
// logging off and shutting down keep their usual handling.
BOOL WINAPI noteStop(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        stopsAsked.fetch_add(1);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool StopRequests::asked() const {
    return count() > 0;
}

int StopRequests::count() const {
    return stopsAsked.load();
}

bool stderrIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

StopRequests::StopRequests() {
    stopsAsked.store(0);
    SetConsoleCtrlHandler(noteStop, TRUE);
}

StopRequests::~StopRequests() {
    SetConsoleCtrlHandler(noteStop, FALSE);
}

}  // namespace console
