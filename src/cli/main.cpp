// brevalon-cli: sets up a Brevalon 8 unit attached by USB from the command
// line, without a display. See --help, and cli/Cli.h for the work itself.

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

#include "cli/Cli.h"
#include "cli/Console.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    QFile in;
    QFile out;
    QFile err;
    in.open(stdin, QIODevice::ReadOnly);
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    // The progress line rewrites itself with carriage returns, which only a
    // terminal shows as meant.
    cli::Streams streams{out, err, console::stderrIsTerminal(), &in};
    return cli::run(arguments, streams);
}
