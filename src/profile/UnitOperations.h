#pragma once

// Reading a whole profile from a unit, writing one to it and reading its
// memory image, with the requests, read chains and acknowledged writes the
// windows use, over any UnitExchange. The window program and brevalon-cli
// both run these.
//
// An operation that the unit leaves or stops answering ends at once and says
// where; nothing it did not finish is reported as done, and running it again
// completes it.

#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "profile/ProfileFile.h"
#include "profile/ProfileGroups.h"
#include "profile/UnitExchange.h"
#include "protocol/Memory.h"
#include "protocol/ReadChain.h"

namespace profile {

// The windows' timer tick, which their waits count.
inline constexpr std::chrono::milliseconds TickLength{100};
// How long a read waits for each reply: a read chain's watchdog.
inline constexpr std::chrono::milliseconds ReplyTimeout =
    protocol::ReadChain<std::size_t>::watchdogTicks * TickLength;
// How long a write waits for each acknowledgement: the windows' 10 ticks.
inline constexpr std::chrono::milliseconds AcknowledgeTimeout = 10 * TickLength;

// Where an operation stands: record `done` of `count` of `what` (a group's
// name, or "memory") has been read or sent.
struct Progress {
    bool writing = false;
    QString what;
    std::size_t done = 0;
    std::size_t count = 0;
};
using ProgressHandler = std::function<void(const Progress& progress)>;

// Why and where an operation ended early.
struct Stop {
    // The unit left the bus; otherwise it stopped answering.
    bool left = false;
    bool writing = false;
    // "phonebook[37]", "gsmNumbers", "memory[3]".
    QString where;
    // "the unit left while writing phonebook[37]"
    QString text() const;
    bool operator==(const Stop&) const = default;
};

// Sends `request` and waits ReplyTimeout for the reply of `kind`.
std::optional<protocol::Reply> ask(UnitExchange& exchange, const protocol::CommandReport& request,
                                   protocol::ReplyKind kind);

struct UnitRead {
    // Every group that was read whole; a group cut short is left out.
    UnitProfile profile;
    // Set when the read ended early: the unit left or stopped answering, and where.
    std::optional<Stop> stopped;
};

// Reads `groups` in their order. The call function is the one the status
// reply shows; the alarm's user-texts flag reads as off when the unit holds
// neither 0 nor 1 there.
UnitRead readUnit(UnitExchange& exchange, std::span<const Group> groups = AllGroups,
                  const ProgressHandler& progress = {});

struct MemoryRead {
    std::array<std::uint8_t, protocol::MemorySize> image{};
    std::optional<Stop> stopped;
};

// The 4096-byte settings memory, packet by packet in one read chain.
MemoryRead readMemory(UnitExchange& exchange, const ProgressHandler& progress = {});

// How far a group of a write came.
struct GroupWrite {
    Group group = Group::GsmNumbers;
    // The records sent, in order: all of the group's, or those chosen.
    std::vector<std::size_t> records;
    std::size_t count = 0;  // records.size()
    // Records 0 to written - 1 of `records` went out and, where the unit
    // acknowledges ("SN", "SP", "SC"), were acknowledged.
    std::size_t written = 0;
    // Record `written` went out, but its acknowledgement never came.
    bool unacknowledged = false;
    // After reading back: whether the unit holds the profile's values.
    std::optional<bool> matches;
};

// A stretch of the records of a group write that came equally far: records
// `first` to `last` (numbers of the group's records) were written, sent but
// not acknowledged, or not written.
struct WriteRun {
    enum class State { Written, Unacknowledged, NotWritten };
    State state = State::NotWritten;
    std::size_t first = 0;
    std::size_t last = 0;
};
std::vector<WriteRun> writeRuns(const GroupWrite& write);

// The records a write sends of the groups of several records. A group left
// unset is sent whole.
struct RecordSelection {
    std::optional<std::vector<std::size_t>> gsmNumbers;
    std::optional<std::vector<std::size_t>> smsTexts;
    std::optional<std::vector<std::size_t>> phonebook;
    // The selection for `group`; none for a group of one request.
    const std::optional<std::vector<std::size_t>>& of(Group group) const;
};

struct UnitWrite {
    enum class Outcome {
        Refused,  // the profile has faults; nothing was sent
        Matches,  // written, read back, and the unit holds the profile
        Differs,  // written and read back, but the unit holds other values
        Stopped,  // the unit left or stopped answering
    };
    Outcome outcome = Outcome::Refused;
    std::vector<ProfileFault> faults;
    // Every group the profile holds but the firmware text, in write order.
    std::vector<GroupWrite> groups;
    std::vector<Difference> differences;
    // The written groups as read back, once the write came that far.
    UnitProfile readBack;
    // Why the write stopped, and where.
    Stop stopped;
};

// Writes every group `profile` holds (of a group of several records only the
// records `records` selects), then reads them back and compares. A profile
// that checkProfile() faults in what is to be sent is refused before anything
// is sent. A group that stands for part of one request (only
// `digitalInputs`, or only `digitalInputsAllEnabled`) takes the rest from the
// unit first. The first record that goes unanswered ends the write.
UnitWrite writeUnit(UnitExchange& exchange, const UnitProfile& profile,
                    const ProgressHandler& progress = {}, const RecordSelection& records = {});

// What makes the unit hold `file`'s value in each difference `chosen` of
// compareProfiles(unit, file) and keep its own in the others: the records of
// GSM numbers, SMS texts and the phonebook that hold a chosen difference, each
// written alone (a phonebook record with the unit's values in the fields not
// chosen), and each other group that holds one written whole, with the
// file's values where chosen and the unit's elsewhere.
struct ChosenWrite {
    UnitProfile profile;
    RecordSelection records;
};
ChosenWrite chosenWrite(const UnitProfile& unit, const UnitProfile& file,
                        const std::vector<Difference>& chosen);

// One line per group of `write`, for people: how far it came.
QStringList describeWrite(const UnitWrite& write);

}  // namespace profile
