#pragma once

// What brevalon-cli needs of the console it runs in, written once for each
// operating system (Console_posix.cpp, Console_windows.cpp): whether standard
// error is a terminal, and the user's request to stop a command that runs
// until then. Standard C++ only, so each file builds without Qt.

namespace console {

// True when standard error is a terminal, which shows a line rewritten with
// carriage returns as meant.
bool stderrIsTerminal();

// While one lives, Ctrl-C and the system's request to end (SIGINT and
// SIGTERM; Ctrl-C and Ctrl-Break in a Windows console) end nothing: they only
// raise a flag, which the command reads from its event loop and then ends
// cleanly. Destroying it puts the usual handling back. One at a time.
class StopRequests {
public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    bool asked() const;
    // How many times the user asked: a second request may mean "at once".
    int count() const;
};

}  // namespace console
