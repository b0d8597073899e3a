#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

// The unit's process, started by the tool's process and driven through its
// standard input and output, one command and one answer a line.
class UnitProcess {
public:
    // Starts `program`; running() tells whether that worked.
    explicit UnitProcess(const std::string& program);
    // Ends its input, which ends the process, and waits for it.
    ~UnitProcess();
    UnitProcess(const UnitProcess&) = delete;
    UnitProcess& operator=(const UnitProcess&) = delete;

    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // Sends one command and returns the answer line, or an empty text when
    // none came within `timeout`.
    std::string command(const std::string& line, std::chrono::milliseconds timeout);
    // Ends its input, which ends the process, waits for it and returns its
    // exit status (-1 when it did not run or did not exit normally).
    int finish();

private:
    pid_t pid_ = -1;
    int toUnit_ = -1;
    int fromUnit_ = -1;
    std::string pending_;
};
