#pragma once

// Every unit's history: a folder per unit, named by its USB serial number,
// holding a profile of the whole unit from before each operation that could
// lose its settings (a format, a profile write, a restore, the boot mode) and
// from each profile the user saved. The window program and brevalon-cli keep
// the same folders.

#include <QDateTime>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "profile/UnitProfile.h"
#include "protocol/Memory.h"

namespace profile {

enum class BackupReason {
    BeforeFormat,
    BeforeProfileWrite,
    BeforeRestore,
    BeforeBoot,
    Saved,
    // What the unit held when it was commissioned.
    Commissioning,
};

// As the entry's name says it: "before-format".
QString reasonName(BackupReason reason);

struct HistoryEntry {
    // "20261210-140321-before-format.json"
    QString fileName;
    QString path;
    // Local time, from the name.
    QDateTime time;
    // "before-format"
    QString reason;
    // The memory image kept beside an entry made before a format; empty for
    // the others.
    QString memoryPath;
    // From the entry's profile; empty when it cannot be read.
    QString firmware;
    QString serial;
};

// A unit's profile as read, and the history entry that keeps it.
struct KeptUnit {
    UnitProfile unit;
    HistoryEntry entry;
};

// Why an entry could not be made.
struct HistoryFault {
    enum class Kind {
        CannotCreateFolder,  // path, reason
        CannotWrite,         // path, reason
        ReadBackDiffers,     // path: written, but not what was meant
    };
    Kind kind = Kind::CannotWrite;
    QString path;
    QString reason;
    // In English, as brevalon-cli says it.
    QString text() const;
};

using MemoryImage = std::array<std::uint8_t, protocol::MemorySize>;

class UnitHistory {
public:
    // The newest entries of a unit that are kept.
    static constexpr std::size_t MaxEntries = 200;

    // Where the history lives: the folder the environment variable
    // BREVALON_DATA_DIR names, or the local data folder of this application
    // (%LOCALAPPDATA%\brevalon-mini-setup on Windows,
    // ~/.local/share/brevalon-mini-setup on Linux), and in it "units".
    static QString defaultFolder();

    explicit UnitHistory(QString folder = defaultFolder());

    const QString& folder() const { return folder_; }
    // The name of a unit's folder: the serial number itself when it is made
    // of upper-case letters, digits, "-" and "_" only and is no name Windows
    // reserves; otherwise "~" and the hexadecimal of its UTF-8 bytes ("~" for
    // an empty one, "~h" and a SHA-256 for a very long one). So two units
    // never share a folder, also where letter case does not count, and no
    // name leaves the history's folder.
    static QString folderName(const QString& serial);
    QString unitFolder(const QString& serial) const;

    // Makes the unit's folder, so that a history that cannot be written is
    // known before the unit is read; the fault when it cannot be made.
    std::optional<HistoryFault> prepare(const QString& serial) const;

    struct Added {
        std::optional<HistoryEntry> entry;
        std::optional<HistoryFault> fault;
    };
    // Writes `profile` (and `memory`, when given) as a new entry of the unit
    // `serial`, reads it back and checks it; only then removes the entries
    // beyond the newest MaxEntries. A second entry in the same second gets
    // "-2", a third "-3": none is ever overwritten.
    Added add(const QString& serial, BackupReason reason, UnitProfile profile,
              const MemoryImage* memory = nullptr,
              const QDateTime& now = QDateTime::currentDateTime()) const;

    // The unit's entries, newest first.
    std::vector<HistoryEntry> entries(const QString& serial) const;
    // The serial numbers of every unit with a history, in order.
    std::vector<QString> units() const;
    // An entry of the unit by its file name (".json" may be left out), or
    // "latest", or "latest-before-format".
    std::optional<HistoryEntry> find(const QString& serial, const QString& name) const;

private:
    // With `summaries`, each entry's firmware text and serial number too.
    std::vector<HistoryEntry> list(const QString& serial, bool summaries) const;

    QString folder_;
};

}  // namespace profile
