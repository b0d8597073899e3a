// The main window's own commands, the windows it shows, the history list and
// what the dispatcher does with replies nobody owns.

#include "AppFixture.h"
#include "LockedFolder.h"
#include "QtPrinters.h"
#include "main/DevReader.h"
#include "widgets/TGauge.h"
#include "windows/Memory.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>
#include <string>
#include <vector>

namespace {

class CommandsTest : public AppFixture {
protected:
    void SetUp() override {
        unit = &addUnit("S1");
        start();
        stopTicks();
        control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
        // Replies come in order: once this one is shown, nothing else is due.
        showFirmware(reportOf("00 47 46"), "");
        platform.clearTranscript();
    }

    // Sends the reports from the unit, the last of which must be a "GF"
    // showing `shown`, and waits until it has been shown.
    void showFirmware(const std::vector<std::uint8_t>& last, const QString& shown,
                      const std::vector<std::vector<std::uint8_t>>& before = {}) {
        auto* label = control<QLabel>("lbFirmwareInfo");
        label->setText("?");
        for (const auto& report : before) {
            platform.sendInput(unit->path(), report);
        }
        platform.sendInput(unit->path(), last);
        ASSERT_TRUE(pumpUntil([&] { return label->text() == shown; }));
    }

    void resetCounters() {
        dialogs->answer(DialogService::Answer::Yes);
        QTest::mouseDClick(control<QStatusBar>("StatusBar1"), Qt::LeftButton);
        dialogs->clear();
    }

    SimUnitDevice* unit = nullptr;
};

}  // namespace

TEST_F(CommandsTest, FirmwareTextIsTheNonZeroBytesOfTheReply) {
    const struct {
        std::vector<std::uint8_t> reply;
        const char* shown;
    } cases[] = {
        {reportOf(R"(00 47 46 "Ver 12")"), "Ver 12"},
        {reportOf(R"(00 47 46 "AB" 00 00 "CD")"), "ABCD"},
        {reportWith({{0, "00 47 46"}, {63, R"("ZY")"}}), "Z"},
        {reportOf("00 47 46"), ""},
    };
    for (const auto& c : cases) {
        showFirmware(c.reply, c.shown);
    }
}

TEST_F(CommandsTest, RelayToggleAndBootModeSendTheirReports) {
    control<QPushButton>("btRele1Togle")->click();
    EXPECT_EQ(sent(), std::vector<std::string>{reportHex("00 53 4F 54")});

    const QString question =
        "Da li zaista zelite da pokrenete BOOT mod na uredjaju? Ovaj mod je potreban samo pri "
        "nadogradnji firmware-a uredjaja!";
    auto* automatic = control<QCheckBox>("cbGetStatusAuto");
    automatic->setChecked(true);
    dialogs->answer(DialogService::Answer::No);
    control<QPushButton>("btResetToBoot")->click();
    EXPECT_EQ(dialogs->texts(), QStringList{question});
    // A warning: No is its default, so Enter does not restart the unit.
    EXPECT_EQ(dialogs->calls()[0].kind, ScriptedDialogService::Kind::WarningYesNo);
    EXPECT_TRUE(automatic->isChecked());
    EXPECT_EQ(sent().size(), 1u);

    dialogs->answer(DialogService::Answer::Yes);
    control<QPushButton>("btResetToBoot")->click();
    EXPECT_FALSE(automatic->isChecked());
    // Read whole for the unit's history first, then restarted.
    std::vector<std::string> orders = sent();
    std::erase_if(orders, [](const std::string& line) { return !line.starts_with("00 53"); });
    EXPECT_EQ(orders,
              (std::vector<std::string>{reportHex("00 53 4F 54"), reportHex("00 53 52 42")}));
    EXPECT_EQ(sent().back(), reportHex("00 53 52 42"));
}

TEST_F(CommandsTest, AFailedWriteIsAHistoryLineAndStillCounted) {
    resetCounters();
    platform.setErrorMessage(1117,
                             "The request could not be performed\r\nbecause of an I/O "
                             "device error.\r\n");
    const struct {
        std::uint32_t code;
        const char* line;
    } cases[] = {
        {31, "WRITE ERROR: A device attached to the system is not functioning (1F)"},
        {1117,
         "WRITE ERROR: The request could not be performed because of an I/O device error (45D)"},
    };
    auto* list = control<QListWidget>("HistoryListBox");
    for (const auto& c : cases) {
        platform.failWrites(unit->path(), c.code, 1);
        control<QPushButton>("btGetStatus")->click();
        ASSERT_FALSE(history().isEmpty());
        EXPECT_EQ(history().last(), c.line);
        EXPECT_EQ(list->currentRow(), list->count() - 1);
    }
    tick();
    EXPECT_EQ(statusPanel(2), "Tx/Rx: 2/0");
}

TEST_F(CommandsTest, RepliesThatNoRowMatchesAreOnlyCounted) {
    resetCounters();
    showFirmware(reportOf(R"(00 47 46 "M")"), "M",
                 {reportOf("00 58 59 01"), reportOf(R"(00 47 41 00 "X")"),
                  reportOf(R"(00 47 4B 00 "D")"), reportOf(R"(00 46 47 "Q")")});
    tick();
    EXPECT_EQ(statusPanel(2), "Tx/Rx: 0/5");
}

TEST_F(CommandsTest, EachButtonShowsItsWindowOnce) {
    const std::pair<const char*, const char*> cases[] = {
        {"sBitBtn3", "TfrmCallPhonebook"}, {"btOuts", "TfrmIzlazi"},
        {"btShowMemory", "TfrmMemory"},    {"sBitBtn1", "TfrmGSMNumbers"},
        {"sBitBtn2", "TfrmADSettings"},    {"btAlarmi", "TfrmAlarmi"},
        {"btDebug", "TfrmDebug"}};
    for (const auto& [button, className] : cases) {
        QWidget* window = windowOf(className);
        EXPECT_FALSE(window->isVisible()) << className;
        control<QPushButton>(button)->click();
        control<QPushButton>(button)->click();
        EXPECT_TRUE(window->isVisible()) << className;
        int instances = 0;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            instances += qstrcmp(top->metaObject()->className(), className) == 0 ? 1 : 0;
        }
        EXPECT_EQ(instances, 1) << className;
        window->close();
        EXPECT_FALSE(window->isVisible()) << className;
        control<QPushButton>(button)->click();
        EXPECT_TRUE(window->isVisible()) << className;
    }
}

TEST_F(CommandsTest, HistoryIsSavedAsEightBitLinesEachEndedByCrLf) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    auto* history = control<QListWidget>("HistoryListBox");
    const QString path = folder.filePath("history.txt");

    // Cancelled: nothing written.
    control<QPushButton>("SaveBtn")->click();
    ASSERT_EQ(dialogs->calls().size(), 1u);
    const auto& call = dialogs->calls()[0];
    EXPECT_EQ(call.kind, ScriptedDialogService::Kind::SaveFileName);
    EXPECT_EQ(call.text, "Save History");
    ASSERT_EQ(call.filters.size(), 2);
    EXPECT_EQ(call.filters[0].description, "Text Files *.txt");
    EXPECT_EQ(call.filters[0].pattern, "*.txt");
    EXPECT_EQ(call.filters[1].description, "All Files *.*");
    EXPECT_EQ(call.filters[1].pattern, "*.*");
    EXPECT_EQ(call.defaultSuffix, "txt");
    EXPECT_EQ(call.directory, QDir::currentPath());
    EXPECT_FALSE(QFile::exists(path));

    const struct {
        QStringList lines;
        QByteArray written;
    } cases[] = {
        {{}, QByteArray()},
        {{"Arrival of A", QString::fromUtf8("\xC3\xA9 \xC3\xBC"), QString::fromUtf8("\xD0\x96")},
         QByteArray("Arrival of A\r\n\xE9 \xFC\r\n?\r\n")},
    };
    for (const auto& c : cases) {
        control<QPushButton>("ClearBtn")->click();
        history->addItems(c.lines);
        dialogs->answerPath(path);
        control<QPushButton>("SaveBtn")->click();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), c.written);
    }

    // A file that cannot be created: the reason is told, the list stays.
    const QString unreachable = QDir::toNativeSeparators(folder.filePath("missing/history.txt"));
    dialogs->clear();
    dialogs->answerPath(unreachable);
    control<QPushButton>("SaveBtn")->click();
    ASSERT_EQ(dialogs->calls().size(), 2u);
    EXPECT_EQ(dialogs->calls()[1].kind, ScriptedDialogService::Kind::Error);
    EXPECT_TRUE(dialogs->calls()[1].text.startsWith("Cannot create file \"" + unreachable + "\". "))
        << dialogs->calls()[1].text.toStdString();
    EXPECT_GT(dialogs->calls()[1].text.size(),
              ("Cannot create file \"" + unreachable + "\". ").size());
    EXPECT_EQ(history->count(), 3);

    control<QPushButton>("ClearBtn")->click();
    EXPECT_EQ(history->count(), 0);
}

// Both saves replace a file the user may write in a folder the user may not,
// where no new file can be made beside it.
TEST_F(CommandsTest, SavesOverAWritableFileInALockedFolder) {
    QWidget* memory = windowOf("TfrmMemory");
    const struct {
        QPushButton* button;
        QByteArray written;
    } cases[] = {
        {control<QPushButton>("SaveBtn"), QByteArray("Arrival of A\r\n")},
        {control<QPushButton>(memory, "btSaveBin"), QByteArray(4096, 0)},
    };
    control<QPushButton>("ClearBtn")->click();
    control<QListWidget>("HistoryListBox")->addItem("Arrival of A");
    for (const auto& c : cases) {
        LockedFolder folder(QByteArray(5000, 'x'));
        if (!folder.skipReason().isEmpty()) {
            GTEST_SKIP() << folder.skipReason().toStdString();
        }
        dialogs->clear();
        dialogs->answerPath(folder.filePath());
        c.button->click();
        EXPECT_EQ(dialogs->calls().size(), 1u) << dialogs->texts().join('|').toStdString();
        EXPECT_EQ(folder.fileContent(), c.written);
    }
}

// The memory read's watchdog: counted down once per tick; reaching 0 gives
// the read buttons back, hides the gauge and says so.
TEST_F(CommandsTest, TheMemoryReadWatchdogEndsAStalledRead) {
    QWidget* memory = windowOf("TfrmMemory");
    auto* read = control<QPushButton>(memory, "btReadMemory");
    auto* save = control<QPushButton>(memory, "btSaveBin");
    auto* gauge = control<TGauge>(memory, "sGauge1");
    unit->unit().behaviour().dropTag = "GM";
    QTest::mouseClick(read, Qt::LeftButton);
    EXPECT_FALSE(read->isEnabled());
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(gauge->isHidden());
    // Five seconds of ticks less the last two.
    tick(48);

    tick();
    pumpFor(20);
    EXPECT_EQ(memoryForm().ReceiveMemoryPacketTimeOut(), 1);
    EXPECT_FALSE(read->isEnabled());
    EXPECT_TRUE(dialogs->texts().isEmpty());

    tick();
    EXPECT_EQ(memoryForm().ReceiveMemoryPacketTimeOut(), 0);
    EXPECT_TRUE(read->isEnabled());
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(gauge->isHidden());
    ASSERT_TRUE(pumpUntil([this] { return !dialogs->texts().isEmpty(); }));
    EXPECT_EQ(dialogs->texts(),
              QStringList{"Doslo je do greske pri citanju memorije, molimo da citanje pokrenete "
                          "ponovo."});

    // At 0 it stays there and says nothing more.
    tick();
    pumpFor(20);
    EXPECT_EQ(memoryForm().ReceiveMemoryPacketTimeOut(), 0);
    EXPECT_EQ(dialogs->texts().size(), 1);
}
