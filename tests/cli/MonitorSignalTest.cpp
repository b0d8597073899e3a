// Ctrl-C to a running `monitor`: a clean end with a whole last line. POSIX
// only (CMake leaves it out elsewhere): it sends the signal with kill().

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <signal.h>

#include "MonitorLines.h"

namespace {

TEST(MonitorSignalTest, AnInterruptEndsTheRunWithEveryLineWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("samples.csv");
    QFile file(path);
    QProcess program;
    program.start(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(BREVALON_CLI)),
        {"--simulate", "monitor", "--interval", "50", path});
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

}  // namespace
