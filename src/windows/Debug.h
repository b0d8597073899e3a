#pragma once

#include <QWidget>

#include <memory>

#include "MainLink.h"

class QLineEdit;

namespace Ui {
class TfrmDebug;
}

// The firmware's internal values from every status reply, the name of its
// main state, and the order to send a test SMS to every stored number.
class TfrmDebug : public QWidget {
    Q_OBJECT

public:
    explicit TfrmDebug(TMainLink& Main, QWidget* parent = nullptr);
    ~TfrmDebug() override;

    // `sEdit1` to `sEdit9` for n = 1 to 9, null for any other n.
    QLineEdit* sEdit(int n) const;
    // "GS": the debug bytes 55 to 61 and 64, in decimal.
    void ShowStateValues(const ReplyBytes& reply);

private:
    void sEdit1Change(const QString& text);
    void btSendSMSClick();

    TMainLink& Main;
    std::unique_ptr<Ui::TfrmDebug> ui;
};
