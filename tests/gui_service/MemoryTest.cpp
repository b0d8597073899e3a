// The memory window: the chained read of 128 packets into the image and the
// dump, packets out of order or outside the memory, the watchdog, saving the
// image and ordering a format.

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <cstdio>

#include "ServiceFixture.h"
#include "main/DevReader.h"
#include "sim/SimDevices.h"
#include "widgets/TGauge.h"
#include "widgets/TGrid.h"
#include "windows/Memory.h"

namespace {

const QString ReadFailed =
    QStringLiteral("Doslo je do greske pri citanju memorije, molimo da citanje pokrenete ponovo.");
const QString FormatQuestion = QStringLiteral(
    "Izvrsenjem ove komande SVI podaci i podesavanja iz uredjaja BICE OBRISANI. Da li zaista "
    "zelite da izvrsite ovu komandu?");
const QString FormatStarted = QStringLiteral(
    "Formatiranje memorije je inicirano. Molimo da sacekate okvirno 1 minut. U toku formatiranja "
    "USB konekcija bice izgubljena, kada se formatiranje zavrsi konekcija ce biti obnovljena.");

// The watchdog of 50 ticks runs out well within this.
constexpr int WatchdogWaitMs = 15000;

class MemoryTest : public ServiceFixture {
protected:
    void SetUp() override {
        startWithUnit();
        openWindow();
    }
    void openWindow() {
        window = windowOf("TfrmMemory");
        open(window);
        grid = control<TGrid>(window, "Grid1");
        read = control<QPushButton>(window, "btReadMemory");
        save = control<QPushButton>(window, "btSaveBin");
        gauge = control<TGauge>(window, "sGauge1");
    }

    // A "GM" reply for packet `high` `low` whose data bytes are first, first + 1, ...
    static std::vector<std::uint8_t> packet(std::uint8_t high, std::uint8_t low,
                                            std::uint8_t first) {
        std::vector<std::uint8_t> reply = reportOf("00 47 4D");
        reply[3] = high;
        reply[4] = low;
        for (std::size_t i = 0; i < 32; ++i) {
            reply[5 + i] = std::uint8_t(first + i);
        }
        return reply;
    }
    // The unit answers no "GM"; the test's own replies drive the read.
    void startSilentRead() {
        unit().behaviour().dropTag = "GM";
        QTest::mouseClick(read, Qt::LeftButton);
        ASSERT_TRUE(pumpUntilSent("00 47 4D", 1));
    }
    QStringList row(int index) const {
        QStringList cells;
        for (int col = 0; col < 9; ++col) {
            cells << grid->cell(col, index);
        }
        return cells;
    }
    std::array<std::uint8_t, 4096>& image() const { return mainForm().MemSaveBuffer(); }
    QByteArray imageBytes() const {
        return QByteArray(reinterpret_cast<const char*>(image().data()), 4096);
    }
    static QString chars(std::uint8_t first) {
        QString text;
        for (int i = 0; i < 8; ++i) {
            text += QChar(first + i);
        }
        return text;
    }
    void clickFormat() {
        QTest::mouseClick(control<QPushButton>(window, "btFormatMemory"), Qt::LeftButton);
    }
    bool readButtonsEnabled() const { return read->isEnabled() && save->isEnabled(); }

    QWidget* window = nullptr;
    TGrid* grid = nullptr;
    QPushButton* read = nullptr;
    QPushButton* save = nullptr;
    TGauge* gauge = nullptr;
};

TEST_F(MemoryTest, ReadsTheWholeMemoryInto128Packets) {
    unit().setPhonebookRecord(0, {"0641", "Mama", 1});

    QTest::mouseClick(read, Qt::LeftButton);
    EXPECT_FALSE(read->isEnabled());
    EXPECT_FALSE(save->isEnabled());
    ASSERT_TRUE(pumpUntil([&] { return readButtonsEnabled(); }));

    std::vector<std::string> expected;
    for (int p = 0; p < 128; ++p) {
        char head[32];
        std::snprintf(head, sizeof head, "00 47 4D %02X %02X", p >> 8, p & 0xFF);
        expected.push_back(reportHex(head));
    }
    EXPECT_EQ(sentWith("00 47 4D"), expected);
    EXPECT_TRUE(std::equal(image().begin(), image().end(), unit().memory().begin()));
    for (int row = 0; row < 512; ++row) {
        for (int col = 0; col < 8; ++col) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", unit().memory()[std::size_t(8 * row + col)]);
            ASSERT_EQ(grid->cell(col, row), QLatin1String(hex)) << col << "," << row;
        }
    }
    // Phonebook record 0 is packet 16: rows 64 to 67.
    EXPECT_EQ(row(64), QStringList({"30", "36", "34", "31", "00", "00", "00", "00",
                                    QStringLiteral("0641") + QString(4, QChar(0))}));
    EXPECT_EQ(row(66), QStringList({"4D", "61", "6D", "61", "00", "00", "01", "FF",
                                    QStringLiteral("Mama") + QString(2, QChar(0)) + QChar(0x01) +
                                        QChar(0xFF)}));
    EXPECT_TRUE(gauge->isHidden());
    EXPECT_EQ(memoryForm().ReceiveMemoryPacketTimeOut(), 0);
    pumpFor(300);
    EXPECT_TRUE(dialogs->calls().empty());
}

TEST_F(MemoryTest, StoresEachPacketWhereItsIndexSays) {
    // Each reply asks for the next packet; the unit must not answer with its own.
    unit().behaviour().dropTag = "GM";
    struct Case {
        std::uint8_t high, low, first;
        int firstRow;
        std::size_t offset;
    };
    const std::vector<Case> cases = {
        {0x00, 0x03, 0x00, 12, 96},
        {0x00, 0x7F, 0xE0, 508, 4064},
    };
    for (const Case& c : cases) {
        inject(packet(c.high, c.low, c.first));
        settle();
        for (int k = 0; k < 4; ++k) {
            const auto first = std::uint8_t(c.first + 8 * k);
            QStringList cells;
            for (int i = 0; i < 8; ++i) {
                cells << QStringLiteral("%1").arg(first + i, 2, 16, QLatin1Char('0')).toUpper();
            }
            cells << chars(first);
            EXPECT_EQ(row(c.firstRow + k), cells) << "row " << c.firstRow + k;
        }
        for (std::size_t i = 0; i < 32; ++i) {
            EXPECT_EQ(image()[c.offset + i], std::uint8_t(c.first + i)) << c.offset + i;
        }
    }
    EXPECT_EQ(row(12).mid(0, 8), QStringList({"00", "01", "02", "03", "04", "05", "06", "07"}));
    EXPECT_EQ(grid->model()->headerData(12, Qt::Vertical).toString(), "13");
    EXPECT_EQ(row(11), QStringList(9, QString()));
    EXPECT_EQ(row(16), QStringList(9, QString()));
    EXPECT_EQ(std::count(image().begin(), image().end(), 0), 4096 - 31 - 32);
}

TEST_F(MemoryTest, IgnoresAPacketOutsideTheMemory) {
    startSilentRead();
    inject(packet(0x00, 0x80, 0xA0));
    inject(packet(0x01, 0x00, 0xB0));
    settle();
    EXPECT_EQ(sentWith("00 47 4D").size(), 1u) << "the read did not advance";
    EXPECT_EQ(imageBytes(), QByteArray(4096, 0));
    for (int row = 0; row < 512; ++row) {
        ASSERT_EQ(grid->cell(0, row), QString()) << row;
    }

    inject(packet(0x00, 0x00, 0x10));
    ASSERT_TRUE(pumpUntilSent("00 47 4D", 2));
    EXPECT_EQ(sentWith("00 47 4D").back(), reportHex("00 47 4D 00 01"));
}

TEST_F(MemoryTest, APacketSentTwiceIsOverwrittenAndCountsTwice) {
    startSilentRead();
    inject(packet(0x00, 0x00, 0x10));
    inject(packet(0x00, 0x00, 0x40));
    ASSERT_TRUE(pumpUntilSent("00 47 4D", 3));
    EXPECT_EQ(sentWith("00 47 4D"),
              reportsHex({"00 47 4D 00 00", "00 47 4D 00 01", "00 47 4D 00 02"}));
    EXPECT_EQ(image()[0], 0x40);
    EXPECT_EQ(image()[31], 0x5F);
    EXPECT_EQ(row(0).first(), "40");
    EXPECT_EQ(row(3).at(7), "5F");
    EXPECT_EQ(image()[32], 0);
}

TEST_F(MemoryTest, GivesUpWhenTheUnitStopsAnsweringAndStillTakesALateReply) {
    startSilentRead();
    inject(packet(0x00, 0x00, 0x10));
    ASSERT_TRUE(pumpUntilSent("00 47 4D", 2));
    EXPECT_GT(memoryForm().ReceiveMemoryPacketTimeOut(), 0);

    ASSERT_TRUE(pumpUntil([&] { return !dialogs->calls().empty(); }, WatchdogWaitMs));
    EXPECT_EQ(dialogs->texts(), QStringList{ReadFailed});
    EXPECT_TRUE(readButtonsEnabled());
    EXPECT_TRUE(gauge->isHidden());
    EXPECT_EQ(image()[0], 0x10);

    inject(packet(0x00, 0x01, 0x30));
    ASSERT_TRUE(pumpUntilSent("00 47 4D", 3));
    EXPECT_EQ(sentWith("00 47 4D").back(), reportHex("00 47 4D 00 02"));
    EXPECT_EQ(image()[32], 0x30);
    EXPECT_EQ(row(4).first(), "30");
}

TEST_F(MemoryTest, GivesUpWhenTheUnitNeverAnswersTheFirstPacket) {
    startSilentRead();
    EXPECT_GT(memoryForm().ReceiveMemoryPacketTimeOut(), 0);
    EXPECT_FALSE(read->isEnabled());
    EXPECT_TRUE(gauge->isVisible());

    ASSERT_TRUE(pumpUntil([&] { return !dialogs->calls().empty(); }, WatchdogWaitMs));
    EXPECT_EQ(dialogs->texts(), QStringList{ReadFailed});
    EXPECT_TRUE(readButtonsEnabled());
    EXPECT_TRUE(gauge->isHidden());
}

TEST_F(MemoryTest, SavesTheImageAs4096Bytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString before = dir.filePath("before.bin");
    const QString after = dir.filePath("after.bin");
    {
        QFile old(after);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older, shorter file");
    }

    dialogs->answerPath(before);
    QTest::mouseClick(save, Qt::LeftButton);
    QTest::mouseClick(read, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return readButtonsEnabled(); }));
    dialogs->answerPath(after);
    QTest::mouseClick(save, Qt::LeftButton);
    dialogs->answerPath(QString());
    QTest::mouseClick(save, Qt::LeftButton);

    ASSERT_EQ(dialogs->calls().size(), 3u);
    const auto& dialog = dialogs->calls()[0];
    EXPECT_EQ(dialog.kind, ScriptedDialogService::Kind::SaveFileName);
    ASSERT_EQ(dialog.filters.size(), 2);
    EXPECT_EQ(dialog.filters[0].description, "BIN Files");
    EXPECT_EQ(dialog.filters[0].pattern, "*.bin");
    EXPECT_EQ(dialog.filters[1].description, "All Files");
    EXPECT_EQ(dialog.filters[1].pattern, "*.*");
    EXPECT_EQ(dialog.defaultSuffix, "*.bin");

    QFile first(before);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), QByteArray(4096, 0));
    QFile second(after);
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    const QByteArray saved = second.readAll();
    ASSERT_EQ(saved.size(), 4096);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), unit().memory().begin(),
                           [](char a, std::uint8_t b) { return std::uint8_t(a) == b; }));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(MemoryTest, ASaveThatFailsShowsTheError) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString notADirectory = dir.filePath("plain");
    {
        QFile plain(notADirectory);
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
        plain.write("kept");
    }
    const QString path = notADirectory + "/image.bin";

    dialogs->answerPath(path);
    QTest::mouseClick(save, Qt::LeftButton);

    ASSERT_EQ(dialogs->calls().size(), 2u);
    EXPECT_EQ(dialogs->calls()[1].kind, ScriptedDialogService::Kind::Error);
    EXPECT_TRUE(dialogs->calls()[1].text.startsWith(
        QStringLiteral("Cannot create file \"%1\". ").arg(path)))
        << dialogs->calls()[1].text.toStdString();
    QFile plain(notADirectory);
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    EXPECT_EQ(plain.readAll(), "kept");
    EXPECT_TRUE(readButtonsEnabled());
}

TEST_F(MemoryTest, FormatsOnlyWhenConfirmed) {
    unit().setRelayPulseTime(99);

    dialogs->answer(DialogService::Answer::No);
    clickFormat();
    EXPECT_EQ(dialogs->texts(), QStringList{FormatQuestion});
    EXPECT_EQ(dialogs->calls()[0].kind, ScriptedDialogService::Kind::WarningYesNo);
    settle();
    EXPECT_TRUE(sentWith("00 53 46").empty());
    EXPECT_TRUE(readButtonsEnabled());

    dialogs->clear();
    dialogs->answer(DialogService::Answer::Yes);
    clickFormat();
    EXPECT_EQ(dialogs->texts(), QStringList({FormatQuestion, FormatStarted}));
    EXPECT_EQ(sentWith("00 53 46"), reportsHex({"00 53 46"}));
    EXPECT_FALSE(read->isEnabled());
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(unit().relayPulseTime(), 10) << "the unit formatted its memory";
}

TEST_F(MemoryTest, ReadAndSaveComeBackWithTheUnitAfterAFormat) {
    unit().behaviour().formatTimeMs = 300;
    const auto removals = history().filter("Removal of ").size();
    const auto arrivals = history().filter("Arrival of ").size();
    dialogs->answer(DialogService::Answer::Yes);
    clickFormat();
    ASSERT_FALSE(readButtonsEnabled());

    // The unit leaves the bus while it formats and comes back.
    ASSERT_TRUE(pumpUntil([&] { return history().filter("Removal of ").size() == removals + 1; }));
    ASSERT_TRUE(pumpUntil([&] { return history().filter("Arrival of ").size() == arrivals + 1; }));
    waitForUnit();
    EXPECT_TRUE(readButtonsEnabled());
}

// The tool started by the test itself, with the devices it needs.
class MemoryFormatTest : public MemoryTest {
protected:
    void SetUp() override {}

    // A unit that stays on the bus until the test takes it off.
    static SimDeviceDescription stayingUnit() {
        SimDeviceDescription unit = keyboardDevice("unit", "Brevalon 8");
        unit.caps.OutputReportByteLength = 65;
        return unit;
    }
    bool listed(int count) const { return control<QListWidget>("DevListBox")->count() == count; }
};

TEST_F(MemoryFormatTest, WithoutAUnitOnlyAsks) {
    start();
    openWindow();
    dialogs->answer(DialogService::Answer::Yes);
    clickFormat();
    EXPECT_EQ(dialogs->texts(), QStringList{FormatQuestion});
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(readButtonsEnabled());
}

TEST_F(MemoryFormatTest, ReadAndSaveComeBackOnlyAfterTheUnitLeftAndReturned) {
    platform.plug(stayingUnit());
    start();
    waitForUnit();
    openWindow();
    // This unit never answers, so no backup can be made: the format goes on
    // only because the user says so.
    dialogs->answer(DialogService::Answer::Yes);
    dialogs->answer(DialogService::Answer::Yes);
    clickFormat();
    EXPECT_EQ(countSent("00 53 46", "unit"), 1);

    const struct {
        const char* name;
        std::function<void()> change;
        int listed;
        bool enabled;
    } steps[] = {
        {"another device, the unit still there", [&] { platform.plug(keyboardDevice("kbd")); }, 2,
         false},
        {"the unit gone", [&] { platform.unplug("unit"); }, 1, false},
        {"the unit back", [&] { platform.plug(stayingUnit()); }, 2, true},
    };
    for (const auto& step : steps) {
        step.change();
        ASSERT_TRUE(pumpUntil([&] { return listed(step.listed); })) << step.name;
        EXPECT_EQ(read->isEnabled(), step.enabled) << step.name;
        EXPECT_EQ(save->isEnabled(), step.enabled) << step.name;
    }
}

}  // namespace
