#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

#include "commissioning/CommissioningRun.h"
#include "profile/UnitProfile.h"
#include "windows/MainLink.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace protocol {
struct StatusReply;
}

// Commissioning an installed unit: the guided steps one under another, each
// with its state and result, driven by the status replies the main window
// receives; at the end a report for the customer. The window sends only the
// unit read, the relay toggle and the test SMS, through the main window.
class TfrmCommissioning : public QWidget {
    Q_OBJECT

public:
    explicit TfrmCommissioning(TMainLink& main, QWidget* parent = nullptr);
    ~TfrmCommissioning() override;

    // A status reply that arrived at `timeMs` (milliseconds since the epoch).
    void addStatus(const protocol::StatusReply& status, std::int64_t timeMs);
    // After each device change, with the serial number of the unit now
    // connected (empty for none): a run that is on ends, its open steps not
    // run, when its unit is no longer the one connected; otherwise the poll,
    // which a device change switches off, is switched on again.
    void unitChanged(const QString& serial);

    const commissioning::CommissioningRun* run() const { return run_.get(); }

private:
    void btCommissioningStartClick();
    void btCommissioningSkipClick();
    void btCommissioningStopClick();
    void btCommissioningProfileClick();
    void btCommissioningMeasureClick();
    void btCommissioningSendSmsClick();
    void btCommissioningReportClick();
    // Sends what the run asks for, answers what it needs, shows where it is.
    void advance();
    void readUnit();
    void showSteps();

    TMainLink& main_;
    QLineEdit* site_;
    QLineEdit* technician_;
    QPlainTextEdit* notes_;
    QSpinBox* signalSeconds_;
    QLineEdit* rssiMin_;
    QPushButton* profileButton_;
    QLabel* profileName_;
    QTableWidget* steps_;
    QLabel* prompt_;
    QLineEdit* expected_;
    QLineEdit* tolerance_;
    QPushButton* measure_;
    QPushButton* sendSms_;
    QPushButton* start_;
    QPushButton* skip_;
    QPushButton* stop_;
    QPushButton* report_;
    QLabel* verdict_;
    QTimer clock_;

    std::unique_ptr<commissioning::CommissioningRun> run_;
    // The profile the unit must hold, and its file.
    std::optional<profile::UnitProfile> chosen_;
    QString chosenPath_;
    // What the unit step found.
    QString firmware_;
    QString serial_;
    QString profileSha256_;
    QStringList differences_;
    // The unit is being read: the clock does not start another read meanwhile.
    bool reading_ = false;
};
