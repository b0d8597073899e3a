#pragma once

// What the window program and brevalon-cli both say about finding a unit.

#include <QString>

// Every unit's USB product string contains this.
inline const QString UnitProductName = QStringLiteral("Brevalon 8");

// The message for a unit, shown as `deviceName`, that this user may open only
// for queries: why it cannot be used and how to fix that.
QString noAccessText(const QString& deviceName);
// The same for brevalon-cli, whose messages are English, as scripts read them.
QString noAccessMessage(const QString& deviceName);
