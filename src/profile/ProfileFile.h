#pragma once

// The profile file: one JSON document in UTF-8 holding a UnitProfile, with
// the keys in a fixed order and two-space indent, so that files diff well and
// never depend on the user's locale.
//
// Checking has two strengths. Reading a file refuses only what cannot be a
// profile: a malformed document, values of the wrong kind or beyond what their
// field holds, characters no unit can store. What a unit may well hold but
// would not take back (a 16-character number read back, a formatted unit's
// pulse time of 0) is read and compared like any other value; checkProfile()
// names it, and whatever is written to a unit must pass checkProfile()
// without a fault. The saver keeps such values as read and shows
// checkProfile()'s faults as warnings.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <vector>

#include "profile/UnitProfile.h"

namespace profile {

inline constexpr char ProfileFormat[] = "brevalon-mini-setup-profile";
inline constexpr int ProfileVersion = 1;
// A complete profile is under 20 KB even with every character escaped; a
// larger file is not one, and refusing it unread keeps time and memory
// bounded.
inline constexpr qsizetype MaxProfileFileSize = 1024 * 1024;

struct ProfileFault {
    // What is wrong, so that each program can say it in its own language;
    // `values` hold what the message quotes, in the order given here.
    enum class Kind {
        // The file as a whole (an empty path).
        CannotOpen,     // file, reason
        CannotRead,     // file, reason
        CannotCreate,   // file, reason
        CannotWrite,    // file, reason
        TooLarge,       // size, limit
        Empty,          //
        MalformedJson,  // line, column, reason
        RepeatedKey,    // key, line, column
        NotAnObject,    // what it holds: "array" or "value"
        NoSettings,     //
        // A value.
        Missing,         //
        WrongType,       // wanted, found: the kinds of jsonKind() and wantedKind()
        WrongFormat,     // found, as quoted text or a kind
        NotWhole,        // number
        VersionNewer,    // version, the version read
        NotAVersion,     // version, the version read
        UnknownKey,      //
        WrongCount,      // entries wanted, entries found
        Outside,         // value, min, max
        NotDecimal,      // text
        Unsupported,     // character, quoted or as U+XXXX
        TooLong,         // length, max
        NotANumber,      // text
        MaxNotAboveMin,  // max, min
    };

    // Where, as "phonebook[12].note"; empty for the file as a whole.
    QString path;
    // In English, as brevalon-cli says it.
    QString message;
    Kind kind = Kind::Missing;
    QStringList values;
    // "path: message", or the message alone.
    QString text() const;
    bool operator==(const ProfileFault&) const = default;
};

struct ProfileReadResult {
    // Set only when `faults` is empty: a profile is taken whole or not at all.
    std::optional<UnitProfile> profile;
    std::vector<ProfileFault> faults;
};

// What `device` holds from where it stands, but at most `limit` + 1 bytes:
// enough to tell a file too large without reading all of it. A read of
// standard input blocks until it has something, so only its end gives nothing.
QByteArray readAtMost(QIODevice& device, qsizetype limit);

// The document for `profile`, groups that are absent left out. Texts are
// written as held, also those that checkProfile() would refuse.
QByteArray writeProfile(const UnitProfile& profile);

// The profile in `document`, or every fault found in it. A document of
// another format or version is refused on that alone.
ProfileReadResult readProfile(const QByteArray& document);

// What the unit cannot take: texts that break the rules of TextRules.h, a
// relay pulse time outside 1 to 250 (such as a formatted unit's 0), alarm
// limits whose maximum is not above the minimum.
std::vector<ProfileFault> checkProfile(const UnitProfile& profile);

// Whether `profile` holds any group that is written to a unit (the firmware
// text is not); a profile without one is refused for writing and comparing.
bool holdsSettings(const UnitProfile& profile);
// The fault that says so.
ProfileFault noSettingsFault();

// writeProfile() into `path`, all or nothing: a failed save leaves any earlier
// file as it was. Answers the fault of a save that failed.
std::optional<ProfileFault> saveProfile(const QString& path, const UnitProfile& profile);

// readProfile() of the file at `path`; a file that cannot be read, or is
// larger than MaxProfileFileSize, gives one fault with an empty path.
ProfileReadResult loadProfile(const QString& path);
// readProfile() of what `device` holds from where it stands to its end, such
// as standard input; `name` names it in a fault.
ProfileReadResult loadProfile(QIODevice& device, const QString& name);

}  // namespace profile
