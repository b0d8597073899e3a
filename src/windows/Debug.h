#pragma once

#include <QWidget>

#include <memory>

#include "protocol/Status.h"
#include "windows/MainLink.h"

namespace Ui {
class TfrmDebug;
}

// The firmware's internal values from every status reply, the name of its
// main state, and the order to send a test SMS to every stored number.
class TfrmDebug : public QWidget {
    Q_OBJECT

public:
    explicit TfrmDebug(TMainLink& main, QWidget* parent = nullptr);
    ~TfrmDebug() override;

    // "GS": the firmware's values (bytes 55 to 61 and 64), in decimal.
    void ShowStateValues(const protocol::StatusReply& status);

private:
    void sEdit1Change(const QString& text);
    void btSendSMSClick();

    TMainLink& main_;
    std::unique_ptr<Ui::TfrmDebug> ui_;
};
