#pragma once

// brevalon-cli provision: every unit present and every unit plugged in
// afterwards gets a profile, several at once: a backup, the profile written,
// read back and compared, one line per unit when it is done, and a report
// line kept as soon as it is known.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

#include "profile/UnitProfile.h"

class HidPlatform;
class TTraceWriter;

namespace cli {

struct Streams;

// What one unit gets: the profile, or why it gets none.
struct Assignment {
    std::optional<profile::UnitProfile> profile;
    // What the line and the report call the unit's site; empty without a
    // site list.
    QString site;
    // Where the site's row is, "sites.csv:3"; empty without one.
    QString row;
    // Why no profile, one fault a line.
    QStringList faults;
};

struct ProvisionSettings {
    // Called on the station's thread for each unit as it arrives.
    std::function<Assignment(const QString& serial)> assign;
    std::optional<QString> report;
    std::optional<std::int64_t> count;
    bool noBackup = false;
};

// Runs until `settings.count` units are done or the user stops it. Done when
// every unit passed, Differs when any failed, NotAnswering when one left (or
// was stopped) in the middle, UsageError when the report cannot be written.
int provision(HidPlatform& platform, TTraceWriter* trace, const ProvisionSettings& settings,
              Streams& streams);

}  // namespace cli
