#pragma once

#include <QPushButton>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "MainLink.h"
#include "TGauge.h"

namespace Ui {
class TfrmMemory;
}

// The unit's 4096-byte settings memory: read it in 128 packets into the main
// window's image and a hexadecimal dump, save the image as a file, and order
// the unit to format its memory.
class TfrmMemory : public QWidget {
    Q_OBJECT

public:
    explicit TfrmMemory(TMainLink& Main, QWidget* parent = nullptr);
    ~TfrmMemory() override;

    // "GM": stores the packet, shows it, and requests the next one until 128
    // replies have come.
    void ReplyGM(const ReplyBytes& reply);
    // A device change has been handled. After a format the unit leaves the
    // bus and comes back; only then can the memory be read and saved again.
    void deviceChangeDone();

    QPushButton* btReadMemory() const;
    QPushButton* btSaveBin() const;
    TGauge* sGauge1() const;

private:
    void btReadMemoryClick();
    void btSaveBinClick();
    void btFormatMemoryClick();
    void setReadButtonsEnabled(bool enabled);

    TMainLink& Main;
    std::unique_ptr<Ui::TfrmMemory> ui;
    std::uint16_t MemReadPointer = 0;
    // Where a format stands: changes of other devices come and go while the
    // unit is still listed, so its return counts only once it was seen gone.
    enum class FormatWait { None, ForRemoval, ForReturn };
    FormatWait formatWait = FormatWait::None;
};
