#include "UnitProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

UnitProcess::UnitProcess(const std::string& program) {
    int input[2];
    int output[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
        return;
    }
    if (pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    if (error != 0) {
        ::close(input[1]);
        ::close(output[0]);
        errno = error;
        return;
    }
    pid_ = pid;
    toUnit_ = input[1];
    fromUnit_ = output[0];
}

UnitProcess::~UnitProcess() {
    finish();
}

int UnitProcess::finish() {
    if (toUnit_ >= 0) {
        ::close(toUnit_);
        toUnit_ = -1;
    }
    if (fromUnit_ >= 0) {
        ::close(fromUnit_);
        fromUnit_ = -1;
    }
    if (pid_ <= 0) {
        return -1;
    }
    int status = 0;
    pid_t waited;
    while ((waited = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return waited > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string UnitProcess::command(const std::string& line, std::chrono::milliseconds timeout) {
    if (pid_ <= 0) {
        return {};
    }
    const std::string text = line + "\n";
    if (::write(toUnit_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        return {};
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const std::size_t end = pending_.find('\n'); end != std::string::npos) {
            std::string answer = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return answer;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return {};
        }
        pollfd fd{fromUnit_, POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return {};
        }
        char chunk[16384];
        const ssize_t n = ::read(fromUnit_, chunk, sizeof chunk);
        if (n <= 0) {
            return {};
        }
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
}
