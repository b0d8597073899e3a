#pragma once

// The profile operations in the windows' language: Serbian, the values'
// places named by the captions of the windows that edit them and counted
// from 1 ("GSM broj 3", "Imenik, zapis 3: napomena"), flags as "da" and "ne",
// decimals with the separator of the user's locale. brevalon-cli says the
// same in English, with the paths of the file.

#include <QString>
#include <QStringList>

#include "profile/ProfileFile.h"
#include "profile/ProfileGroups.h"
#include "profile/UnitHistory.h"
#include "profile/UnitOperations.h"

namespace ProfileTexts {

// The place of a value, given by its path in the file ("phonebook[2].note").
// A path this program does not know (an unknown key) is shown as it is.
QString fieldName(const QString& path);
// The group a path belongs to ("Imenik" for "phonebook[2].note").
QString groupTitle(const QString& path);
// A value as the file writes it, shown as the windows show it.
QString valueText(const QString& value, profile::Difference::Kind kind);
// "Polje: what is wrong", or what is wrong with the file as a whole.
QString faultText(const profile::ProfileFault& fault);
QStringList faultTexts(const std::vector<profile::ProfileFault>& faults);
// Why an operation ended early, and where.
QString stopText(const profile::Stop& stop);
// How far each group of a write came, one line each.
QStringList writeStates(const profile::UnitWrite& write);
// "Čitanje imenika: 52 od 100".
QString progressText(const profile::Progress& progress);
// Why a history entry could not be made.
QString historyFaultText(const profile::HistoryFault& fault);
// A history entry's reason ("before-format") as the history window shows it.
QString reasonText(const QString& reason);

}  // namespace ProfileTexts
