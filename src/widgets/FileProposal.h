#pragma once

// What the tool's file dialogs propose: a file named by the unit and the time
// (BRV8-000001-20261210-1403.json), in the folder a dialog of this run chose
// last, or the current folder before any did.

#include <QDateTime>
#include <QString>

namespace FileProposal {

// "SERIAL-YYYYMMDD-HHMM.suffix" with the local time `when`; a character a
// file name cannot hold becomes "_", and without a serial number the name is
// the time alone.
QString fileName(const QString& serial, const QDateTime& when, const QString& suffix);
// The folder a dialog chose last.
QString lastFolder();
// `name` in that folder.
QString inLastFolder(const QString& name);
// Remembers the folder of `path`, a file a dialog chose; an empty path (a
// dialog cancelled) changes nothing.
void chosen(const QString& path);

}  // namespace FileProposal
