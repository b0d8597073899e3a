#pragma once

// The report of a commissioning run for the customer: one self-contained
// HTML file (the signal as an inline SVG chart), the same as PDF beside it,
// and its data as JSON for a fleet's own records. Every text that comes from
// the unit or the technician is escaped, so the report shows it and runs
// nothing. Nothing in it depends on the user's locale.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "commissioning/CommissioningRun.h"
#include "monitor/StatusSample.h"

namespace commissioning {

struct ReportStep {
    QString name;
    State state = State::Waiting;
    // What the step measured, in a line.
    QString figures;
    QDateTime start;
    QDateTime end;
};

struct ReportData {
    QString site;
    QString technician;
    QString notes;
    // When the run ended, local time with its UTC offset.
    QDateTime made;
    QString toolVersion;
    QString firmware;
    QString serial;
    // Of the unit's profile as kept in its history at the first step.
    QString profileSha256;
    // The profile the unit had to hold; empty when none was chosen.
    QString chosenProfile;
    std::optional<bool> matchesChosen;
    QStringList differences;
    std::vector<ReportStep> steps;
    std::vector<monitor::StatusSample> signal;
    bool verdict = false;
};

// "čeka", "u toku", "prošao", "nije prošao", "preskočen", "nije izvršen".
QString stateText(State state);
QString stepName(Step step);
// The steps of `run` as the report lists them.
std::vector<ReportStep> reportSteps(const CommissioningRun& run);
// "ISPRAVAN" or "NEISPRAVAN".
QString verdictText(bool verdict);

QByteArray reportJson(const ReportData& data);
QString reportHtml(const ReportData& data);

// Writes `htmlPath`, and beside it the PDF and the JSON (same name, other
// suffix); the error text when a file could not be written.
std::optional<QString> writeReport(const ReportData& data, const QString& htmlPath);

}  // namespace commissioning
