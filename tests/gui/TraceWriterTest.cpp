// The trace of the link: one flushed line per report.

#include "link/TraceWriter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdint>

TEST(TraceWriterTest, WritesOneLinePerReportWithDirectionAndUpperCaseHex) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("trace.txt");
    TTraceWriter trace;
    QString error;
    ASSERT_TRUE(trace.open(path, error));

    const std::uint8_t request[] = {0x00, 0x47, 0x53, 0x00, 0xAB};
    trace.sent(request, sizeof request);
    const std::uint8_t reply[] = {0x47, 0x46, 0x0F};
    trace.received(0x00, reply, sizeof reply);
    trace.received(0x02, reply, 0);

    // Read while the writer is still open: every line is already there.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n');
    ASSERT_EQ(lines.size(), 4);
    const QRegularExpression time("^\\d+\\.\\d{3} ");
    EXPECT_TRUE(time.match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(" > 00 47 53 00 AB")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" < 00 47 46 0F")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(" < 02")) << lines[2].toStdString();
    EXPECT_EQ(lines[3], "");
}

TEST(TraceWriterTest, AFileThatCannotBeCreatedIsReported) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    TTraceWriter trace;
    QString error;
    EXPECT_FALSE(trace.open(folder.filePath("missing/trace.txt"), error));
    EXPECT_FALSE(error.isEmpty());
}
