// The CSV line of a status reply, byte for byte, and the recording that
// writes it whatever the locale.

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "ReportBytes.h"
#include "monitor/StatusSample.h"
#include "protocol/Reply.h"
#include "protocol/Status.h"

#ifdef BREVALON_WITH_LINK
#include <QBuffer>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>

#include "link/CsvRecorder.h"
#endif

namespace {

monitor::StatusSample sampleOfReport(
    std::initializer_list<std::pair<std::size_t, std::string_view>> pieces) {
    const std::vector<std::uint8_t> report = reportWith(pieces);
    return monitor::sampleOf(protocol::decodeStatus(protocol::Reply(std::span(report).subspan(1))),
                             0);
}

TEST(Csv, TheLineOfAStatusReply) {
    struct Case {
        const char* what;
        std::string_view bytes;
        std::string line;
    };
    // Bytes 3 to 20 of the reply: signal, RSSI, inputs, relay, raw readings,
    // SMS counters, analog values; byte 62 the network state.
    const std::vector<Case> cases = {
        {"the example", "04 15 00 01 00 00 09 AB 00 00 00 00 00 00 00 09 36 FC",
         "4,21,1,0,1,0,0,2475,60.3900,0,0"},
        {"a state byte of 7 and a relay of 2",
         "05 1F 07 00 07 02 0F FF 00 00 01 2C 00 05 00 00 00 00",
         "5,31,1,1,0,1,1,4095,0.0000,300,5"},
        {"a negative value", "00 00 00 00 00 00 00 00 00 00 00 00 00 00 FF FE 1D C0",
         "0,0,1,0,0,0,0,0,-12.3456,0,0"},
        {"the smallest negative", "00 00 00 00 00 00 00 00 00 00 00 00 00 00 FF FF FF FB",
         "0,0,1,0,0,0,0,0,-0.0005,0,0"},
        {"the largest magnitudes", "FF FF FF FF FF FF FF FF FF FF FF FF FF FF 80 00 00 00",
         "255,255,1,1,1,1,1,65535,-214748.3648,65535,65535"},
    };
    for (const Case& c : cases) {
        const monitor::StatusSample sample =
            sampleOfReport({{0, "00 47 53"}, {3, c.bytes}, {62, "01"}});
        EXPECT_EQ(monitor::csvLine(sample, "T"), "T," + c.line + "\r\n") << c.what;
    }
    EXPECT_EQ(monitor::csvHeader(),
              "time,signal,rssi,network,input1,input2,input3,relay,analogRaw1,analogValue1,smsSent,"
              "smsReceived\r\n");
}

#ifdef BREVALON_WITH_LINK
// A locale with a decimal comma and other digits changes nothing in the file.
TEST(Csv, TheRecordingIsTheSameInEveryLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CsvRecorder recorder;
    ASSERT_TRUE(recorder.attach(buffer));
    monitor::StatusSample sample = sampleOfReport(
        {{0, "00 47 53 04 15 00 01 00 00 09 AB 00 00 00 00 00 00 00 09 36 FC"}, {62, "01"}});
    sample.timeMs =
        QDateTime(QDate(2026, 12, 10), QTime(14, 3, 21, 437), QTimeZone(3600)).toMSecsSinceEpoch();
    ASSERT_TRUE(recorder.write(sample));
    QLocale::setDefault(before);

    // The arrival in local time with its offset: read back, the same moment.
    const QString time = csvTime(sample.timeMs);
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d$)"))
                    .match(time)
                    .hasMatch())
        << time.toStdString();
    EXPECT_EQ(QDateTime::fromString(time, Qt::ISODateWithMs).toMSecsSinceEpoch(), sample.timeMs);
    EXPECT_EQ(buffer.data().toStdString(),
              monitor::csvHeader() + time.toStdString() + ",4,21,1,0,1,0,0,2475,60.3900,0,0\r\n");
    EXPECT_EQ(recorder.lines(), 1);
}
#endif

}  // namespace
