// Nothing lost: a backup in the unit's history before every operation that
// could lose its settings, the unit's settings back after a format, the
// history window, and a write of only the differences chosen.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <string>
#include <vector>

#include "ServiceFixture.h"
#include "WhenShown.h"
#include "main/DevReader.h"
#include "profile/ProfileFile.h"
#include "profile/UnitHistory.h"
#include "widgets/TGrid.h"
#include "windows/ProfileDiff.h"

namespace {

using Kind = ScriptedDialogService::Kind;
using Answer = DialogService::Answer;

const QString WithoutBackup = QStringLiteral("\n\nNastaviti bez rezervne kopije?");

class HistoryTest : public ServiceFixture {
protected:
    // The unit holds settings a format would wipe.
    void startUnit() {
        VirtualUnit& u = startWithUnit();
        u.setGsmNumber(0, "+381641111111");
        u.setSmsText(3, "Provala");
        u.setPhonebookRecord(3, {"+38164555", "Dom", 1});
        u.setRelayPulseTime(25);
        u.setAnalogAlarm({800000, 200000, 30, 3, 1, 1});
    }
    profile::UnitHistory history() const { return profile::UnitHistory(); }
    std::vector<profile::HistoryEntry> entries() const { return history().entries("SERVICE-1"); }
    void click(QWidget* window, const char* name) {
        QTest::mouseClick(control<QPushButton>(window, name), Qt::LeftButton);
    }
    // The position of the first request that starts with `head`, of the last
    // when `last`; -1 when none went out.
    long position(const std::string& head, bool last = false) const {
        const std::vector<std::string> lines = sent();
        long found = -1;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].starts_with(head) && (last || found < 0)) {
                found = static_cast<long>(i);
            }
        }
        return found;
    }
};

// The whole unit and its memory are read into an entry before "SF" goes out;
// when the unit is back, a Yes writes the entry to it, and its memory is
// what it was before the format.
TEST_F(HistoryTest, AFormatIsBackedUpFirstAndTheUnitGetsItsSettingsBack) {
    startUnit();
    unit().behaviour().formatTimeMs = 300;
    const VirtualUnit::Memory before = unit().memory();
    QWidget* memory = windowOf("TfrmMemory");
    open(memory);
    dialogs->answer(Answer::Yes);
    dialogs->answer(Answer::Yes);

    click(memory, "btFormatMemory");

    ASSERT_EQ(entries().size(), 1u);
    const profile::HistoryEntry entry = entries().front();
    EXPECT_EQ(entry.reason, "before-format");
    EXPECT_LT(position("00 47 43 00 63", true), position("00 53 46"));
    EXPECT_LT(position("00 47 4D 00 7F", true), position("00 53 46"));
    QFile image(entry.memoryPath);
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    EXPECT_EQ(image.readAll(), QByteArray(reinterpret_cast<const char*>(before.data()), 4096));
    const profile::ProfileReadResult kept = profile::loadProfile(entry.path);
    ASSERT_TRUE(kept.profile);
    EXPECT_EQ((*kept.profile->gsmNumbers)[0], u"+381641111111");
    EXPECT_EQ((*kept.profile->phonebook)[3].note, u"Dom");
    EXPECT_EQ(kept.profile->serial, u"SERVICE-1");

    const QString restored = QStringLiteral(
        "Podešavanja sačuvana pre formatiranja su vraćena i pročitana nazad: uređaj ih sada "
        "sadrži.");
    ASSERT_TRUE(pumpUntil([&] { return dialogs->texts().contains(restored); }, 20000))
        << dialogs->texts().join(u'|').toStdString();
    EXPECT_EQ(dialogs->texts()[2], QStringLiteral("Memorija je formatirana. Vratiti podešavanja "
                                                  "sačuvana pre formatiranja?"));
    EXPECT_EQ(unit().memory(), before);
    EXPECT_EQ(entries().front().reason, "before-restore");
}

// A backup that cannot be made stops the operation unless the user says to
// go on without; a unit that leaves during the backup's read gets nothing.
TEST_F(HistoryTest, WithoutABackupNothingIsSentUnlessTheUserSaysSo) {
    QTemporaryDir dir;
    const QString blocked = dir.filePath(QStringLiteral("a-file"));
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("BREVALON_DATA_DIR", blocked.toLocal8Bit());
    startUnit();
    QWidget* memory = windowOf("TfrmMemory");
    open(memory);
    const QString cannot =
        QStringLiteral(
            "Rezervna kopija podešavanja nije napravljena: folder istorije \"%1\" ne može da se "
            "napravi.")
            .arg(QDir::toNativeSeparators(
                QDir(QDir(blocked).filePath("units")).filePath("SERVICE-1")));

    dialogs->answer(Answer::Yes);
    click(memory, "btFormatMemory");
    ASSERT_EQ(dialogs->calls().size(), 2u);
    EXPECT_EQ(dialogs->calls()[1].kind, Kind::WarningYesNo);
    EXPECT_EQ(dialogs->calls()[1].text, cannot + WithoutBackup);
    settle();
    EXPECT_EQ(position("00 53 46"), -1);
    EXPECT_EQ(countSent("00 47 4D"), 0) << "known before the unit is read";

    // Yes: the operation goes on without a backup.
    dialogs->clear();
    dialogs->answer(Answer::Yes);
    dialogs->answer(Answer::Yes);
    QTest::mouseClick(control<QPushButton>("btResetToBoot"), Qt::LeftButton);
    EXPECT_EQ(sentWith("00 53 52"), reportsHex({"00 53 52 42"}));
}

TEST_F(HistoryTest, AUnitThatLeavesDuringTheBackupGetsNoFormat) {
    startUnit();
    QWidget* memory = windowOf("TfrmMemory");
    open(memory);
    const auto& seen = unit().transcript();
    unit().behaviour().unplugAtRequest = static_cast<std::uint32_t>(
        std::count_if(seen.begin(), seen.end(), [](const auto& e) { return e.toUnit; }) + 40);
    control<QCheckBox>("cbGetStatusAuto")->setChecked(false);
    dialogs->answer(Answer::Yes);
    click(memory, "btFormatMemory");
    EXPECT_EQ(dialogs->texts().last(),
              QStringLiteral("Uređaj je isključen tokom čitanja za rezervnu kopiju; u uređaj nije "
                             "ništa poslato."));
    EXPECT_EQ(position("00 53 46"), -1);
    EXPECT_TRUE(entries().empty());
}

// "Go Bootloader" and "Sačuvaj profil..." keep their entries too.
TEST_F(HistoryTest, ASavedProfileAndTheBootModeKeepEntries) {
    startUnit();
    QTemporaryDir dir;
    dialogs->answerPath(dir.filePath("unit.json"));
    QTest::mouseClick(control<QPushButton>("btSaveProfile"), Qt::LeftButton);
    ASSERT_EQ(entries().size(), 1u);
    EXPECT_EQ(entries().front().reason, "saved");
    const profile::ProfileReadResult saved = profile::loadProfile(dir.filePath("unit.json"));
    ASSERT_TRUE(saved.profile);
    EXPECT_EQ(saved.profile->serial, u"SERVICE-1");

    dialogs->answer(Answer::Yes);
    QTest::mouseClick(control<QPushButton>("btResetToBoot"), Qt::LeftButton);
    ASSERT_EQ(entries().size(), 2u);
    EXPECT_EQ(entries().front().reason, "before-boot");
    EXPECT_LT(position("00 47 43 00 63", true), position("00 53 52 42"));
}

// Unticked rows are not written: of the phonebook the record ticked alone,
// with the unit's values where its fields were not ticked; of the alarm, one
// request, the file's maximum and the unit's own minimum.
TEST_F(HistoryTest, OnlyTheTickedRowsAreWritten) {
    startUnit();
    QTemporaryDir dir;
    profile::UnitProfile file;
    file.analogAlarm = profile::AnalogAlarm{900000, 100000, 30, 3, true, true};
    file.phonebook.emplace();
    (*file.phonebook)[3] = {u"+38164555", u"Posao", false};
    (*file.phonebook)[12] = {u"+38164777", u"", false};
    ASSERT_FALSE(profile::saveProfile(dir.filePath("file.json"), file));
    dialogs->answerPath(dir.filePath("file.json"));
    QStringList results;
    WhenShown<TfrmProfileDiff> choose([&](TfrmProfileDiff& diff) {
        auto* grid = diff.findChild<TGrid*>(QStringLiteral("gridProfileDiff"));
        for (int row = 0; row < grid->rowCount(); ++row) {
            const QString field = grid->cell(2, row);
            if (field == u"Imenik, zapis 13: broj telefona" ||
                field == u"Imenik, zapis 4: aktivan" || field == u"Analogni alarm: Opseg Minimum") {
                grid->item(row, 0)->setCheckState(Qt::Unchecked);
            }
        }
        EXPECT_EQ(diff.findChild<QLabel*>(QStringLiteral("lbProfileDiffCounts"))->text(),
                  QStringLiteral("Razlikuje se: 5, označeno za upis: 2"));
        platform.clearTranscript();
        diff.findChild<QPushButton*>(QStringLiteral("btProfileWrite"))->click();
        for (int row = 0; row < grid->rowCount(); ++row) {
            results << grid->cell(2, row) + u'=' + grid->cell(5, row);
        }
        diff.findChild<QPushButton*>(QStringLiteral("btProfileCancel"))->click();
        return true;
    });

    QTest::mouseClick(control<QPushButton>("btLoadProfile"), Qt::LeftButton);

    ASSERT_TRUE(choose.done());
    EXPECT_EQ(sentWith("00 53 43"),
              reportsHex({R"(00 53 43 00 03 "+38164555" 00 00 00 00 00 00 00 "Posao" 00 00 01)"}));
    EXPECT_EQ(sentWith("00 53 41"),
              reportsHex({"00 53 41 41 00 0D BB A0 00 03 0D 40 00 1E 03 01 01"}));
    EXPECT_EQ(results, QStringList({"Analogni alarm: Opseg Maximum=isto kao u datoteci",
                                    "Analogni alarm: Opseg Minimum=nije upisano",
                                    "Imenik, zapis 4: napomena=isto kao u datoteci",
                                    "Imenik, zapis 4: aktivan=nije upisano",
                                    "Imenik, zapis 13: broj telefona=nije upisano"}));
    EXPECT_EQ(entries().front().reason, "before-profile-write");
    EXPECT_EQ(dialogs->texts().last(),
              QStringLiteral("Označene vrednosti su upisane i pročitane nazad: uređaj ih sada "
                             "sadrži."));
}

TEST_F(HistoryTest, TheHistoryWindowComparesRestoresAndSavesEntries) {
    startUnit();
    QTemporaryDir dir;
    dialogs->answerPath(dir.filePath("unit.json"));
    QTest::mouseClick(control<QPushButton>("btSaveProfile"), Qt::LeftButton);
    unit().setGsmNumber(0, "0600");
    ASSERT_FALSE(history().add("OTHER-9", profile::BackupReason::Saved, {}).fault);
    QTest::mouseClick(control<QPushButton>("btShowHistory"), Qt::LeftButton);
    QWidget* window = windowOf("TfrmHistory");
    ASSERT_TRUE(window->isVisible());
    auto* units = control<QComboBox>(window, "cmbHistoryUnit");
    ASSERT_EQ(units->count(), 2);
    EXPECT_EQ(units->itemText(0), "SERVICE-1");
    EXPECT_EQ(units->itemText(1), "OTHER-9");
    auto* grid = control<TGrid>(window, "gridHistory");
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->cell(1, 0), QStringLiteral("sačuvan profil"));

    // Compared: the differences, nothing to write.
    bool writable = true;
    WhenShown<TfrmProfileDiff> look([&](TfrmProfileDiff& diff) {
        writable = diff.findChild<QPushButton*>(QStringLiteral("btProfileWrite"))->isVisible();
        EXPECT_EQ(diff.findChild<TGrid*>(QStringLiteral("gridProfileDiff"))->cell(2, 0),
                  QStringLiteral("GSM broj 1"));
        diff.findChild<QPushButton*>(QStringLiteral("btProfileCancel"))->click();
        return true;
    });
    click(window, "btHistoryCompare");
    ASSERT_TRUE(look.done());
    EXPECT_FALSE(writable);
    EXPECT_EQ(unit().gsmNumber(0), "0600");

    // Restored: the unit holds the entry again, and the entry of before it
    // is the newest.
    WhenShown<TfrmProfileDiff> restore([](TfrmProfileDiff& diff) {
        diff.findChild<QPushButton*>(QStringLiteral("btProfileWrite"))->click();
        diff.findChild<QPushButton*>(QStringLiteral("btProfileCancel"))->click();
        return true;
    });
    click(window, "btHistoryRestore");
    ASSERT_TRUE(restore.done());
    EXPECT_EQ(unit().gsmNumber(0), "+381641111111");
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->cell(1, 0), QStringLiteral("pre vraćanja"));

    grid->setCurrentCell(1, 0);
    dialogs->answerPath(dir.filePath("copy.json"));
    click(window, "btHistoryExport");
    QFile copy(dir.filePath("copy.json"));
    QFile original(entries().back().path);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original.readAll());
    click(window, "btHistoryOpenFolder");
    EXPECT_EQ(dialogs->calls().back().kind, Kind::ShowFolder);
    EXPECT_EQ(dialogs->calls().back().text, history().unitFolder("SERVICE-1"));

    // Another unit's entry: a warning that names both, and No does nothing.
    units->setCurrentIndex(1);
    dialogs->clear();
    click(window, "btHistoryRestore");
    ASSERT_EQ(dialogs->calls().size(), 1u);
    EXPECT_EQ(dialogs->calls()[0].kind, Kind::WarningYesNo);
    EXPECT_TRUE(dialogs->calls()[0].text.contains("OTHER-9"));
    EXPECT_TRUE(dialogs->calls()[0].text.contains("SERVICE-1"));
}

}  // namespace
