// The chart window: every status reply reaches its store and its recording,
// a recording that cannot be written says so, and the unit leaving breaks
// the traces.

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>

#include "QtPrinters.h"
#include "ServiceFixture.h"
#include "monitor/SampleStore.h"
#include "widgets/StatusChart.h"
#include "windows/Chart.h"

namespace {

using namespace std::chrono_literals;

class ChartTest : public ServiceFixture {
protected:
    TfrmChart& chart() const { return *static_cast<TfrmChart*>(windowOf("TfrmChart")); }
    void click(const char* name) const {
        QTest::mouseClick(control<QPushButton>(&chart(), name), Qt::LeftButton);
    }
    QString label() const { return control<QLabel>(&chart(), "lbChartRecording")->text(); }
    // The lines of the recording, each without its CR LF; a last line that is
    // not complete is kept as it is.
    static QStringList lines(const QString& path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QString text = QString::fromUtf8(file.readAll());
        QStringList out = text.split(QStringLiteral("\r\n"));
        if (out.last().isEmpty()) {
            out.removeLast();
        }
        return out;
    }
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

    QTemporaryDir dir_;
};

TEST_F(ChartTest, EveryStatusReplyIsDrawnAndRecorded) {
    // The values are set before the unit answers its first status request.
    addUnit("SERVICE-1");
    VirtualUnit& u = unit();
    u.live().signalLevel = 3;
    u.live().rssi = 17;
    u.live().inputs = {0, 7, 0};
    u.live().relay = 1;
    u.live().fixedRaw = {std::uint16_t{2475}, std::uint16_t{0}};
    u.live().smsSent = 12;
    u.live().smsReceived = 3;
    start();
    waitForUnit();
    ServiceFixture::open(&chart());
    dialogs->answerPath(path("rec.csv"));
    click("btChartRecord");
    EXPECT_EQ(control<QPushButton>(&chart(), "btChartRecord")->text(), "Zaustavi snimanje");

    // While recording, every line already written is in the file.
    ASSERT_TRUE(pumpUntil([&] { return lines(path("rec.csv")).size() >= 4; }));
    const QStringList during = lines(path("rec.csv"));
    EXPECT_EQ(during.front(),
              "time,signal,rssi,network,input1,input2,input3,relay,analogRaw1,analogValue1,smsSent,"
              "smsReceived");
    const QStringList fields = during[1].split(u',');
    ASSERT_EQ(fields.size(), 12);
    EXPECT_EQ(fields.mid(1, 8).join(u','), "3,17,1,0,1,0,1,2475");
    EXPECT_EQ(fields.mid(10).join(u','), "12,3");
    EXPECT_EQ(fields[9], control<QLabel>("lbADCh1Val")->text());

    click("btChartRecord");
    const QStringList after = lines(path("rec.csv"));
    EXPECT_EQ(label(), QStringLiteral("Snimljeno u rec.csv, redova: %1").arg(after.size() - 1));
    EXPECT_EQ(control<QPushButton>(&chart(), "btChartRecord")->text(), "Snimi...");
    pumpFor(300);
    EXPECT_EQ(lines(path("rec.csv")), after);

    const monitor::SampleStore& store = chart().store();
    ASSERT_GE(store.size(), after.size() - 1);
    const monitor::StatusSample& newest = store.at(store.size() - 1);
    EXPECT_EQ(newest.rssi, 17);
    EXPECT_EQ(newest.states, 0b1010);
}

TEST_F(ChartTest, ARecordingThatCannotBeWrittenSaysWhere) {
    startWithUnit();
    const QString missing = path("no-such-folder/rec.csv");
    dialogs->answerPath(missing);
    click("btChartRecord");
    // The file dialog, then the error.
    ASSERT_EQ(dialogs->texts().size(), 2);
    EXPECT_TRUE(dialogs->texts().back().startsWith(
        QStringLiteral("Snimanje nije počelo: u fajl \"%1\" nije moguće upisati")
            .arg(QDir::toNativeSeparators(missing))))
        << dialogs->texts().back().toStdString();
    EXPECT_EQ(control<QPushButton>(&chart(), "btChartRecord")->text(), "Snimi...");
}

TEST_F(ChartTest, TheUnitLeavingBreaksTheTraces) {
    startWithUnit();
    const monitor::SampleStore& store = chart().store();
    ASSERT_TRUE(pumpUntil([&] { return store.size() >= 3; }));
    const std::size_t before = store.size();
    platform.replugAfter(units.front()->path(), 200ms);
    ASSERT_TRUE(pumpUntil([&] { return store.size() >= before + 3; }));
    std::size_t starts = 0;
    for (std::size_t i = 1; i < store.size(); ++i) {
        starts += store.startsRun(i) ? 1 : 0;
    }
    EXPECT_EQ(starts, 1u);

    // Pointing at the chart shows the values of the sample there.
    auto* drawn = control<StatusChart>(&chart(), "chartStatus");
    drawn->resize(900, 400);
    drawn->setView(store.at(store.size() - 1).timeMs + 1, 60'000);
    EXPECT_TRUE(drawn->pointText(889).contains(QStringLiteral("Signal 4, RSSI 21, HOME_NETWORK")))
        << drawn->pointText(889).toStdString();
    EXPECT_EQ(drawn->pointText(100), QString());

    // Each check box shows or hides its lane.
    const std::pair<const char*, StatusChart::Lane> boxes[] = {
        {"cbChartSignal", StatusChart::Lane::Signal},
        {"cbChartAnalog", StatusChart::Lane::Analog},
        {"cbChartRaw", StatusChart::Lane::Raw},
        {"cbChartInputs", StatusChart::Lane::Inputs}};
    for (const auto& [name, lane] : boxes) {
        control<QCheckBox>(&chart(), name)->click();
        EXPECT_FALSE(drawn->laneShown(lane)) << name;
    }
}

}  // namespace
