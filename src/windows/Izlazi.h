#pragma once

#include <QWidget>

#include <memory>

#include "MainLink.h"

namespace Ui {
class TfrmIzlazi;
}

// The relay's hold time in pulse mode: read it from the unit and write it
// back within 1 to 250 ticks.
class TfrmIzlazi : public QWidget {
    Q_OBJECT

public:
    explicit TfrmIzlazi(TMainLink& Main, QWidget* parent = nullptr);
    ~TfrmIzlazi() override;

    // "GO": shows the hold time.
    void ReplyGO(const ReplyBytes& reply);

private:
    void btReadRelayDelayClick();
    void btSetRelayDelayClick();

    TMainLink& Main;
    std::unique_ptr<Ui::TfrmIzlazi> ui;
};
