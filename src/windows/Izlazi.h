#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>

#include "profile/UnitProfile.h"
#include "windows/MainLink.h"

namespace Ui {
class TfrmIzlazi;
}

// The relay's hold time in pulse mode: read it from the unit and write it
// back within 1 to 250 ticks.
class TfrmIzlazi : public QWidget {
    Q_OBJECT

public:
    explicit TfrmIzlazi(TMainLink& main, QWidget* parent = nullptr);
    ~TfrmIzlazi() override;

    // "GO": shows the hold time, in ticks.
    void ReplyGO(std::uint8_t ticks);
    // Shows the values of `unit` that this window edits, as a read would;
    // the groups `unit` leaves out stay as they are.
    void showProfile(const profile::UnitProfile& unit);

private:
    void btReadRelayDelayClick();
    void btSetRelayDelayClick();

    TMainLink& main_;
    std::unique_ptr<Ui::TfrmIzlazi> ui_;
};
