#pragma once

// The profile file: one JSON document in UTF-8 holding a UnitProfile, with
// the keys in a fixed order and two-space indent, so that files diff well and
// never depend on the user's locale.
//
// Checking has two strengths. A profile read from a unit may hold a text
// longer than the unit accepts (a 16-character number read back): the saver
// keeps it as read and shows checkProfile()'s faults as warnings. Whatever is
// to be written to a unit must pass checkProfile() without a fault, and
// readProfile() refuses a file that does not, since a file is read to be
// written.

#include <QByteArray>
#include <QString>

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
    // Where, as "phonebook[12].note"; empty for the file as a whole.
    QString path;
    QString message;
    // "path: message", or the message alone.
    QString text() const;
    bool operator==(const ProfileFault&) const = default;
};

struct ProfileReadResult {
    // Set only when `faults` is empty: a profile is taken whole or not at all.
    std::optional<UnitProfile> profile;
    std::vector<ProfileFault> faults;
};

// The document for `profile`, groups that are absent left out. Texts are
// written as held, also those that checkProfile() would refuse.
QByteArray writeProfile(const UnitProfile& profile);

// The profile in `document`, or every fault found in it. A document of
// another format or version is refused on that alone.
ProfileReadResult readProfile(const QByteArray& document);

// What the unit cannot take: texts with characters outside U+0001 to U+00FF
// or longer than the windows write, and a relay pulse time outside 1 to 250
// (such as a formatted unit's 0).
std::vector<ProfileFault> checkProfile(const UnitProfile& profile);

// writeProfile() into `path`, all or nothing: a failed save leaves any earlier
// file as it was. On failure returns false with `error` set.
bool saveProfile(const QString& path, const UnitProfile& profile, QString& error);

// readProfile() of the file at `path`; a file that cannot be read, or is
// larger than MaxProfileFileSize, gives one fault with an empty path.
ProfileReadResult loadProfile(const QString& path);

}  // namespace profile
