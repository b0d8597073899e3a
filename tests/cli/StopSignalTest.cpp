// Ctrl-C to a running `monitor`: a clean end with a whole last line; to
// `provision`: the units in progress finished, or at a second one stopped at
// once and named. POSIX only (CMake leaves it out elsewhere): it sends the
// signal with kill().

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <signal.h>

#include "MonitorLines.h"

namespace {

QString cliProgram() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(BREVALON_CLI));
}

TEST(StopSignalTest, AnInterruptEndsMonitorWithEveryLineWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("samples.csv");
    QFile file(path);
    QProcess program;
    program.start(cliProgram(), {"--simulate", "monitor", "--interval", "50", path});
    ASSERT_TRUE(program.waitForStarted(30000));
    // Waits block in the process's wait, 50 ms at a time.
    while (csvLines(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray()).size() < 4 &&
           !program.waitForFinished(50)) {
        file.close();
    }
    file.close();
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), SIGINT), 0);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();

    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = csvLines(file.readAll());
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], CsvHeader);
    for (qsizetype k = 1; k < lines.size(); ++k) {
        EXPECT_TRUE(isSampleLine(lines[k])) << lines[k].toStdString();
    }
}

TEST(StopSignalTest, ProvisionFinishesTheUnitsInProgressOrStopsThemAtOnce) {
    QTemporaryDir dir;
    const QString profile = dir.filePath("profile.json");
    QProcess read;
    read.start(cliProgram(), {"--simulate", "read-profile", profile});
    ASSERT_TRUE(read.waitForFinished(30000));
    ASSERT_EQ(read.exitCode(), 0);
    const struct {
        int interrupts;
        int exit;
        QByteArray out;
        QByteArray err;
    } cases[] = {
        {1, 0, "PASS BRV8-000001", "finishing the 2 units in progress"},
        {2, 4, "FAIL BRV8-000001 stopped by the user while writing", "left half-written: BRV8-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.interrupts);
        QProcess program;
        program.setReadChannel(QProcess::StandardError);
        program.start(cliProgram(), {"--simulate=2", "--no-backup", "provision", profile});
        ASSERT_TRUE(program.waitForStarted(30000));
        QByteArray err;
        while (!err.contains("Ctrl-C ends") && program.waitForReadyRead(30000)) {
            err += program.readAllStandardError();
        }
        ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), SIGINT), 0);
        if (c.interrupts == 2) {
            // A second signal sent before the first was handled would be one.
            while (!err.contains("Ctrl-C again") && program.waitForReadyRead(30000)) {
                err += program.readAllStandardError();
            }
            ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), SIGINT), 0);
        }
        ASSERT_TRUE(program.waitForFinished(30000));
        err += program.readAllStandardError();
        EXPECT_EQ(program.exitCode(), c.exit) << err.toStdString();
        const QByteArray out = program.readAllStandardOutput();
        EXPECT_EQ(out.count('\n'), 2) << out.toStdString();
        EXPECT_TRUE(out.contains(c.out)) << out.toStdString();
        EXPECT_TRUE(err.contains(c.err)) << err.toStdString();
    }
}

}  // namespace
