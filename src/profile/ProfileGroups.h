#pragma once

// The groups of a profile as the unit is read and written, and the
// comparison of two profiles group by group.

#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "profile/UnitProfile.h"

namespace profile {

// In the order the unit is read and written. DigitalInputs is one request
// for both `digitalInputs` and `digitalInputsAllEnabled`.
enum class Group {
    Firmware,
    GsmNumbers,
    SmsTexts,
    DigitalInputs,
    AnalogAlarm,
    Calibration,
    RelayPulseTime,
    CallFunction,
    Phonebook,
};

inline constexpr std::array AllGroups{
    Group::Firmware,       Group::GsmNumbers,   Group::SmsTexts,
    Group::DigitalInputs,  Group::AnalogAlarm,  Group::Calibration,
    Group::RelayPulseTime, Group::CallFunction, Group::Phonebook,
};

// The group's key in the profile file, as "gsmNumbers".
QString groupName(Group group);
// The records the group is read and written as: one request each.
std::size_t recordCount(Group group);
// "phonebook[37]" for a group of several records, the group's name otherwise.
QString recordPath(Group group, std::size_t record);
// A path of the file as its parts: "phonebook[12].note" is the key
// "phonebook", the index 12 and the field "note"; a part the path does not
// have stays empty.
struct PathParts {
    QString key;
    std::optional<std::size_t> index;
    QString field;
};
PathParts splitPath(const QString& path);
// The group the value at `path` belongs to; none for the file's own keys.
std::optional<Group> groupOfPath(const QString& path);

// The groups `profile` holds, in order.
std::vector<Group> groupsOf(const UnitProfile& profile);

struct Difference {
    // What the values are, for a program that shows them in its own way.
    enum class Kind { Text, Number, Fixed, Flag };

    QString path;  // "phonebook[12].note"
    // Written as in the file: "\"Servis\"", "80.0000", "25", "true".
    QString unitValue;
    QString fileValue;
    Kind kind = Kind::Text;
    // "phonebook[12].note: unit \"Dom\", file \"Servis\""
    QString text() const;
    bool operator==(const Difference&) const = default;
};

// Every value of `group` that the unit's profile holds otherwise than the
// file's. A group that either profile leaves out is not compared: the file's
// because the unit keeps it as it is, the unit's because it was not read. The
// firmware text is never compared, since it is never written.
std::vector<Difference> compareGroup(Group group, const UnitProfile& unit, const UnitProfile& file);
// compareGroup() of every group, in order.
std::vector<Difference> compareProfiles(const UnitProfile& unit, const UnitProfile& file);

}  // namespace profile
