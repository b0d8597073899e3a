// The units' history: folder names that no serial number can misuse, entry
// names that never overwrite, retention, and the default folder.

#include "profile/UnitHistory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <set>
#include <string>

#include "profile/ProfileFile.h"

using namespace profile;

namespace {

UnitProfile smallProfile(std::uint8_t pulse) {
    UnitProfile p;
    p.firmware = u"BRV8 FW 3.02";
    p.relayPulseTime = pulse;
    return p;
}

const QDateTime At(QDate(2026, 12, 10), QTime(14, 3, 21));

}  // namespace

TEST(UnitHistory, FolderNamesKeepUnitsApartAndInsideTheHistory) {
    const struct {
        QString serial;
        QString folder;
    } cases[] = {
        {"BRV8-000001", "BRV8-000001"},
        {"A_1", "A_1"},
        {"COM10", "COM10"},
        {"", "~"},
        {"..", "~2e2e"},
        {".", "~2e"},
        {"a/b", "~612f62"},
        {"a\\b", "~615c62"},
        {"C:", "~433a"},
        {"CON", "~434f4e"},
        {"con", "~636f6e"},
        {"COM1", "~434f4d31"},
        {"LPT9", "~4c505439"},
        {"NUL.txt", "~4e554c2e747874"},
        // Letter case counts on Linux, not on Windows: only one may be plain.
        {"ABC", "ABC"},
        {"abc", "~616263"},
        {"~616263", "~7e363136323633"},
        {QString::fromUtf8("Š"), "~c5a0"},
    };
    std::set<QString> folded;
    for (const auto& c : cases) {
        EXPECT_EQ(UnitHistory::folderName(c.serial), c.folder) << c.serial.toStdString();
        EXPECT_TRUE(folded.insert(c.folder.toLower()).second) << c.folder.toStdString();
    }
    const QString longest(126, u'x');
    const QString hashed = UnitHistory::folderName(longest);
    EXPECT_TRUE(hashed.startsWith("~h"));
    EXPECT_EQ(hashed.size(), 66);
    EXPECT_NE(hashed, UnitHistory::folderName(longest.left(125) + u'y'));
    EXPECT_EQ(UnitHistory::folderName(QString(64, u'x')).size(), 129);
}

TEST(UnitHistory, EntriesOfOneSecondAreNumberedAndFoundNewestFirst) {
    QTemporaryDir dir;
    const UnitHistory history(dir.path());
    const std::string names[] = {"20261210-140321-before-format.json",
                                 "20261210-140321-before-format-2.json",
                                 "20261210-140321-saved-3.json"};
    MemoryImage memory{};
    memory[4095] = 0x5A;
    ASSERT_FALSE(
        history.add("a/b", BackupReason::BeforeFormat, smallProfile(1), &memory, At).fault);
    ASSERT_FALSE(
        history.add("a/b", BackupReason::BeforeFormat, smallProfile(2), &memory, At).fault);
    const UnitHistory::Added saved =
        history.add("a/b", BackupReason::Saved, smallProfile(3), nullptr, At);
    ASSERT_TRUE(saved.entry);
    EXPECT_EQ(saved.entry->fileName.toStdString(), names[2]);

    const std::vector<HistoryEntry> entries = history.entries("a/b");
    ASSERT_EQ(entries.size(), 3u);
    // The same second: the higher number is the newer.
    EXPECT_EQ(entries[0].fileName.toStdString(), names[2]);
    EXPECT_EQ(entries[1].fileName.toStdString(), names[1]);
    EXPECT_EQ(entries[2].fileName.toStdString(), names[0]);
    EXPECT_EQ(entries[1].time, At);
    EXPECT_EQ(entries[1].reason, "before-format");
    EXPECT_EQ(entries[1].firmware, "BRV8 FW 3.02");
    EXPECT_EQ(entries[1].serial, "a/b");
    QFile image(entries[1].memoryPath);
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    EXPECT_EQ(image.readAll(), QByteArray(reinterpret_cast<const char*>(memory.data()), 4096));
    EXPECT_TRUE(entries[0].memoryPath.isEmpty());

    const ProfileReadResult kept = loadProfile(entries[2].path);
    ASSERT_TRUE(kept.profile);
    EXPECT_EQ(kept.profile->relayPulseTime, 1);
    EXPECT_EQ(kept.profile->serial, u"a/b");
    EXPECT_EQ(history.find("a/b", "latest")->fileName.toStdString(), names[2]);
    EXPECT_EQ(history.find("a/b", "latest-before-format")->fileName.toStdString(), names[1]);
    EXPECT_EQ(history.find("a/b", "20261210-140321-saved-3")->fileName.toStdString(), names[2]);
    EXPECT_FALSE(history.find("a/b", "20261210-140321-boot.json"));
    EXPECT_FALSE(history.find("other", "latest"));
    EXPECT_EQ(history.units(), std::vector<QString>{"a/b"});
    // The encoded folder is a name inside the history's folder.
    EXPECT_EQ(QDir(history.unitFolder("a/b")).absolutePath(),
              QDir(dir.path()).absoluteFilePath("~612f62"));
}

TEST(UnitHistory, TheNewest200AreKeptOnceANewOneIsWritten) {
    QTemporaryDir dir;
    const UnitHistory history(dir.path());
    MemoryImage memory{};
    ASSERT_FALSE(history.add("U", BackupReason::BeforeFormat, smallProfile(1), &memory, At).fault);
    for (int i = 1; i < 200; ++i) {
        ASSERT_FALSE(
            history.add("U", BackupReason::Saved, smallProfile(1), nullptr, At.addSecs(i)).fault);
    }
    EXPECT_EQ(history.entries("U").size(), 200u);
    EXPECT_TRUE(history.find("U", "latest-before-format"));

    ASSERT_FALSE(
        history.add("U", BackupReason::Saved, smallProfile(1), nullptr, At.addSecs(200)).fault);
    const std::vector<HistoryEntry> entries = history.entries("U");
    ASSERT_EQ(entries.size(), 200u);
    EXPECT_EQ(entries.back().time, At.addSecs(1));
    EXPECT_FALSE(history.find("U", "latest-before-format"));
    EXPECT_EQ(QDir(history.unitFolder("U")).entryList(QDir::Files).size(), 200);
}

TEST(UnitHistory, AFolderThatCannotBeMadeIsNamedAndNothingIsLeft) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath("units"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const UnitHistory history(blocker.fileName());
    const std::optional<HistoryFault> fault = history.prepare("U");
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->kind, HistoryFault::Kind::CannotCreateFolder);
    EXPECT_EQ(fault->text().toStdString(),
              "cannot create the history folder \"" +
                  QDir::toNativeSeparators(blocker.fileName() + "/U").toStdString() + "\"");
    EXPECT_TRUE(history.add("U", BackupReason::Saved, smallProfile(1)).fault);
    EXPECT_TRUE(history.entries("U").empty());
}

// Without BREVALON_DATA_DIR the history is the user's own local data (the
// Wine prefix's %LOCALAPPDATA% under Wine); the variable replaces it.
TEST(UnitHistory, LivesInTheUsersLocalDataUnlessTheEnvironmentSaysOtherwise) {
    const QByteArray before = qgetenv("BREVALON_DATA_DIR");
    qunsetenv("BREVALON_DATA_DIR");
    const QString local = UnitHistory::defaultFolder();
    qputenv("BREVALON_DATA_DIR", "/srv/units");
    const QString chosen = UnitHistory::defaultFolder();
    qputenv("BREVALON_DATA_DIR", before);
    EXPECT_EQ(local, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         "/brevalon-mini-setup/units");
    EXPECT_EQ(QDir::cleanPath(chosen), QDir::cleanPath("/srv/units/units"));
}
