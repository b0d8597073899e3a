// Start-up of the real program: `BrevalonMiniSetup --simulate --trace FILE`
// is started as a child process, on the Qt platform of the environment
// (offscreen when none is set), and timed from the moment before it is
// spawned to its first "GF" request. The trace gives that request's time
// since the trace was opened; the offset of the opening from the spawn is
// taken from inotify's report of the trace file's creation. Also prints the
// program's resident memory once its first status reply is in the trace.
//
// Usage: bench_startup [runs, default 11]

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Figures.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int GiveUpMs = 20000;
// Time for the first status reply to be shown before the memory is read.
constexpr int SettleMs = 300;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The seconds of the first trace line whose direction and bytes start with
// `head` (e.g. "> 00 47 46").
std::optional<double> FirstLine(const fs::path& trace, const std::string& head) {
    std::ifstream in(trace);
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        if (space != std::string::npos && line.compare(space + 1, head.size(), head) == 0) {
            return std::strtod(line.c_str(), nullptr);
        }
    }
    return std::nullopt;
}

struct Run {
    double toFirstRequestMs = 0;  // spawn to the "GF" request
    double toTraceOpenMs = 0;     // spawn to the trace file's creation
    long residentKiB = 0;         // after the first status reply
};

std::optional<Run> StartOnce(const fs::path& folder) {
    const fs::path trace = folder / "trace.txt";
    fs::remove(trace);
    const int notify = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (notify < 0 || inotify_add_watch(notify, folder.c_str(), IN_CREATE | IN_MODIFY) < 0) {
        std::perror("inotify");
        return std::nullopt;
    }

    std::string program = BREVALON_PROGRAM;
    std::string simulate = "--simulate";
    std::string traceOption = "--trace";
    std::string tracePath = trace.string();
    std::array<char*, 5> args{program.data(), simulate.data(), traceOption.data(), tracePath.data(),
                              nullptr};
    const Clock::time_point spawned = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, args.data(), environ) != 0) {
        std::perror("posix_spawn");
        close(notify);
        return std::nullopt;
    }

    std::optional<Clock::time_point> opened;
    std::optional<double> firstRequest;
    std::optional<Clock::time_point> statusShown;
    const Clock::time_point deadline = spawned + std::chrono::milliseconds(GiveUpMs);
    while (Clock::now() < deadline &&
           !(statusShown && Clock::now() - *statusShown >= std::chrono::milliseconds(SettleMs))) {
        pollfd wait{notify, POLLIN, 0};
        poll(&wait, 1, 20);
        alignas(inotify_event) char events[4096];
        bool changed = false;
        for (ssize_t n; (n = read(notify, events, sizeof events)) > 0;) {
            for (char* at = events; at < events + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0 && trace.filename() == event->name) {
                    if ((event->mask & IN_CREATE) != 0 && !opened) {
                        opened = Clock::now();
                    }
                    changed = true;
                }
                at += sizeof(inotify_event) + event->len;
            }
        }
        if (changed && !firstRequest) {
            firstRequest = FirstLine(trace, "> 00 47 46");
        }
        if (changed && firstRequest && !statusShown && FirstLine(trace, "< 00 47 53")) {
            statusShown = Clock::now();
        }
    }
    const long resident = statusShown ? ResidentKiB(pid) : -1;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(notify);
    if (!opened || !firstRequest || !statusShown) {
        return std::nullopt;
    }
    const double toOpen = Ms(*opened - spawned);
    return Run{toOpen + *firstRequest * 1000.0, toOpen, resident};
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 11;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    char folderTemplate[] = "/tmp/brevalon-startup-XXXXXX";
    if (mkdtemp(folderTemplate) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = folderTemplate;

    std::vector<double> toRequest;
    std::vector<double> toOpen;
    std::vector<double> resident;
    for (int k = 0; k < runs; ++k) {
        const std::optional<Run> run = StartOnce(folder);
        if (!run) {
            std::printf("start-up: run %d did not reach its first status reply\n", k + 1);
            fs::remove_all(folder);
            return 1;
        }
        toRequest.push_back(run->toFirstRequestMs);
        toOpen.push_back(run->toTraceOpenMs);
        resident.push_back(static_cast<double>(run->residentKiB));
    }
    fs::remove_all(folder);

    std::printf("start-up of BrevalonMiniSetup --simulate, Qt platform %s, %d runs:\n",
                std::getenv("QT_QPA_PLATFORM"), runs);
    std::printf(
        "  process start to the first \"GF\" request: median %.1f ms "
        "(min %.1f, max %.1f; trace opened after %.1f ms)\n",
        Median(toRequest), *std::min_element(toRequest.begin(), toRequest.end()),
        *std::max_element(toRequest.begin(), toRequest.end()), Median(toOpen));
    std::printf("  resident memory after start (first status shown): median %.0f KiB\n",
                Median(resident));
    return 0;
}
