#include "profile/UnitHistory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

#include "profile/ProfileFile.h"

namespace profile {

namespace {

constexpr std::array Reasons{
    std::pair{BackupReason::BeforeFormat, "before-format"},
    std::pair{BackupReason::BeforeProfileWrite, "before-profile-write"},
    std::pair{BackupReason::BeforeRestore, "before-restore"},
    std::pair{BackupReason::BeforeBoot, "before-boot"},
    std::pair{BackupReason::Saved, "saved"},
    std::pair{BackupReason::Commissioning, "commissioning"},
};

bool isDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// "20261210-140321-before-format-2.json": the time, the reason, and the
// number of an entry made in the same second as others (1 when it has none).
// Read without QRegularExpression: the history is written from brevalon-cli's
// unit threads (see cli/UnitWorker.h).
struct EntryName {
    QString time;
    QString reason;
    int sequence = 1;
};

std::optional<EntryName> splitEntryName(const QString& fileName) {
    const QStringView name(fileName);
    if (!name.endsWith(u".json") || name.size() < 22 || !isDigits(name.first(8)) ||
        name[8] != u'-' || !isDigits(name.sliced(9, 6)) || name[15] != u'-') {
        return std::nullopt;
    }
    QStringView rest = name.sliced(16).chopped(5);
    EntryName entry{name.first(15).toString(), {}, 1};
    const qsizetype dash = rest.lastIndexOf(u'-');
    if (dash > 0 && isDigits(rest.sliced(dash + 1))) {
        entry.sequence = rest.sliced(dash + 1).toInt();
        rest = rest.first(dash);
    }
    const bool reasonLike = !rest.isEmpty() && std::all_of(rest.begin(), rest.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || c == u'-';
    });
    if (!reasonLike) {
        return std::nullopt;
    }
    entry.reason = rest.toString();
    return entry;
}

bool isReason(const QString& text) {
    return std::any_of(Reasons.begin(), Reasons.end(),
                       [&](const auto& r) { return text == QLatin1StringView(r.second); });
}

bool isReservedOnWindows(const QString& name) {
    const QString upper = name.toUpper();
    return upper == u"CON" || upper == u"PRN" || upper == u"AUX" || upper == u"NUL" ||
           (upper.size() == 4 && (upper.startsWith(u"COM") || upper.startsWith(u"LPT")) &&
            isDigits(QStringView(upper).sliced(3)));
}

// What a user reading the history sees of an entry, without checking all of
// it; false when the entry names no serial number.
bool readSummary(HistoryEntry& entry) {
    QFile file(entry.path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QJsonObject root = QJsonDocument::fromJson(file.read(MaxProfileFileSize)).object();
    entry.firmware = root.value(QLatin1StringView("firmware")).toString();
    entry.serial = root.value(QLatin1StringView("serial")).toString();
    return root.contains(QLatin1StringView("serial"));
}

std::optional<HistoryEntry> parseEntry(const QString& folder, const QString& fileName,
                                       int* sequence) {
    const std::optional<EntryName> name = splitEntryName(fileName);
    if (!name || !isReason(name->reason)) {
        return std::nullopt;
    }
    HistoryEntry entry;
    entry.fileName = fileName;
    entry.path = QDir(folder).filePath(fileName);
    entry.time = QDateTime::fromString(name->time, QStringLiteral("yyyyMMdd-HHmmss"));
    entry.reason = name->reason;
    const QString image = QDir(folder).filePath(fileName.chopped(5) + QStringLiteral(".bin"));
    if (QFileInfo::exists(image)) {
        entry.memoryPath = image;
    }
    *sequence = name->sequence;
    return entry;
}

std::optional<HistoryFault> writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return HistoryFault{HistoryFault::Kind::CannotWrite, QDir::toNativeSeparators(path),
                            file.errorString()};
    }
    return std::nullopt;
}

// What `path` holds now is `bytes`.
bool readsBack(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll() == bytes;
}

}  // namespace

QString reasonName(BackupReason reason) {
    for (const auto& [r, name] : Reasons) {
        if (r == reason) {
            return QString::fromLatin1(name);
        }
    }
    return {};
}

QString HistoryFault::text() const {
    switch (kind) {
        case Kind::CannotCreateFolder:
            return QStringLiteral("cannot create the history folder \"%1\"").arg(path);
        case Kind::CannotWrite:
            return QStringLiteral("cannot write the history entry \"%1\": %2").arg(path, reason);
        case Kind::ReadBackDiffers:
            return QStringLiteral("the history entry \"%1\" does not read back as written")
                .arg(path);
    }
    return {};
}

QString UnitHistory::defaultFolder() {
    QString base = qEnvironmentVariable("BREVALON_DATA_DIR");
    if (base.isEmpty()) {
        // The local data folder of an application of this name, whichever of
        // the two programs asks.
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/brevalon-mini-setup");
    }
    return QDir(base).filePath(QStringLiteral("units"));
}

UnitHistory::UnitHistory(QString folder) : folder_(std::move(folder)) {}

QString UnitHistory::folderName(const QString& serial) {
    const bool plain = !serial.isEmpty() && std::all_of(serial.begin(), serial.end(), [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
    });
    if (plain && !isReservedOnWindows(serial)) {
        return serial;
    }
    const QByteArray hex = serial.toUtf8().toHex();
    // Well within the 255 characters a file name may have.
    if (hex.size() > 128) {
        return QStringLiteral("~h") +
               QString::fromLatin1(
                   QCryptographicHash::hash(serial.toUtf8(), QCryptographicHash::Sha256).toHex());
    }
    return u'~' + QString::fromLatin1(hex);
}

QString UnitHistory::unitFolder(const QString& serial) const {
    return QDir(folder_).filePath(folderName(serial));
}

std::optional<HistoryFault> UnitHistory::prepare(const QString& serial) const {
    const QString folder = unitFolder(serial);
    // Units written side by side make the base folder at the same moment, and
    // on Windows the one that loses that race is told it failed; a second try
    // finds the base there.
    if (!QDir().mkpath(folder) && !QDir().mkpath(folder)) {
        return HistoryFault{
            HistoryFault::Kind::CannotCreateFolder, QDir::toNativeSeparators(folder), {}};
    }
    return std::nullopt;
}

UnitHistory::Added UnitHistory::add(const QString& serial, BackupReason reason, UnitProfile profile,
                                    const MemoryImage* memory, const QDateTime& now) const {
    if (auto fault = prepare(serial)) {
        return {std::nullopt, std::move(fault)};
    }
    const QString folder = unitFolder(serial);
    profile.serial = serial.toStdU16String();
    // The second entry of a second, whatever its reason, is numbered 2, and
    // so on: entries stay in the order they were made.
    const QString second = now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    int sequence = 0;
    // Name filters would match with a QRegularExpression.
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        if (!name.startsWith(second + u'-')) {
            continue;
        }
        const std::optional<EntryName> entry = splitEntryName(
            name.endsWith(QStringLiteral(".bin")) ? name.chopped(4) + QStringLiteral(".json")
                                                  : name);
        if (entry) {
            sequence = std::max(sequence, entry->sequence);
        }
    }
    const QString base = second + u'-' + reasonName(reason) +
                         (sequence > 0 ? QStringLiteral("-%1").arg(sequence + 1) : QString());
    const QString jsonPath = QDir(folder).filePath(base + QStringLiteral(".json"));
    const QString binPath = QDir(folder).filePath(base + QStringLiteral(".bin"));
    const auto failed = [&](HistoryFault fault) {
        QFile::remove(binPath);
        QFile::remove(jsonPath);
        return Added{std::nullopt, std::move(fault)};
    };

    if (memory != nullptr) {
        const QByteArray image(reinterpret_cast<const char*>(memory->data()),
                               static_cast<qsizetype>(memory->size()));
        if (auto fault = writeFile(binPath, image)) {
            return failed(*fault);
        }
        if (!readsBack(binPath, image)) {
            return failed(
                {HistoryFault::Kind::ReadBackDiffers, QDir::toNativeSeparators(binPath), {}});
        }
    }
    const QByteArray document = writeProfile(profile);
    if (auto fault = writeFile(jsonPath, document)) {
        return failed(*fault);
    }
    const ProfileReadResult back = loadProfile(jsonPath);
    if (!back.profile || !(*back.profile == profile)) {
        return failed(
            {HistoryFault::Kind::ReadBackDiffers, QDir::toNativeSeparators(jsonPath), {}});
    }

    const std::vector<HistoryEntry> all = list(serial, false);
    for (std::size_t i = MaxEntries; i < all.size(); ++i) {
        QFile::remove(all[i].path);
        if (!all[i].memoryPath.isEmpty()) {
            QFile::remove(all[i].memoryPath);
        }
    }
    std::optional<HistoryEntry> entry =
        parseEntry(folder, base + QStringLiteral(".json"), &sequence);
    if (entry) {
        readSummary(*entry);
    }
    return {std::move(entry), std::nullopt};
}

std::vector<HistoryEntry> UnitHistory::entries(const QString& serial) const {
    return list(serial, true);
}

std::vector<HistoryEntry> UnitHistory::list(const QString& serial, bool summaries) const {
    const QString folder = unitFolder(serial);
    std::vector<std::pair<HistoryEntry, int>> found;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        int sequence = 1;
        if (auto entry = parseEntry(folder, name, &sequence)) {
            found.emplace_back(std::move(*entry), sequence);
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first.time != b.first.time ? a.first.time > b.first.time : a.second > b.second;
    });
    std::vector<HistoryEntry> result;
    for (auto& [entry, sequence] : found) {
        if (summaries) {
            readSummary(entry);
        }
        result.push_back(std::move(entry));
    }
    return result;
}

std::vector<QString> UnitHistory::units() const {
    std::vector<QString> serials;
    for (const QString& name : QDir(folder_).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        // The serial number as an entry gives it: a folder's name may be an
        // encoding of it.
        const QString folder = QDir(folder_).filePath(name);
        std::optional<QString> serial;
        for (const QString& file :
             QDir(folder).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
            int sequence = 1;
            std::optional<HistoryEntry> entry = parseEntry(folder, file, &sequence);
            if (entry && readSummary(*entry)) {
                serial = entry->serial;
            }
        }
        if (serial && folderName(*serial) == name) {
            serials.push_back(*serial);
        }
    }
    std::sort(serials.begin(), serials.end());
    return serials;
}

std::optional<HistoryEntry> UnitHistory::find(const QString& serial, const QString& name) const {
    const std::vector<HistoryEntry> all = entries(serial);
    const auto found = std::find_if(all.begin(), all.end(), [&](const HistoryEntry& e) {
        if (name == u"latest") {
            return true;
        }
        if (name == u"latest-before-format") {
            return e.reason == reasonName(BackupReason::BeforeFormat);
        }
        return e.fileName == name || e.fileName == name + QStringLiteral(".json");
    });
    if (found == all.end()) {
        return std::nullopt;
    }
    return *found;
}

}  // namespace profile
