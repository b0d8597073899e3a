#pragma once

// brevalon-cli's work, apart from its process: the command line in, the exit
// status out, results written to `out` and messages to `err`.

#include <QStringList>

class HidPlatform;
class QIODevice;

namespace cli {

// The exit statuses.
enum Exit : int {
    Done = 0,          // for write-profile and verify-profile: the unit matches
    Differs = 1,       // the unit differs from the profile
    UsageError = 2,    // a command line not understood, or a refused profile; nothing sent
    NoUnit = 3,        // no unit, several without --unit, or one that may not be opened
    NotAnswering = 4,  // the unit left or stopped answering
};

struct Streams {
    QIODevice& out;
    QIODevice& err;
    // A progress line on `err`, for a terminal.
    bool progress = false;
    // Where a profile named "-" is read from; none refuses such a name.
    QIODevice* in = nullptr;
};

// Runs the command line `arguments` (without the program's name). The
// units are the system's, or the virtual ones of --simulate; `platform`, when
// not null, stands for the system's. Needs a QCoreApplication.
int run(const QStringList& arguments, Streams& streams, HidPlatform* platform = nullptr);

}  // namespace cli
