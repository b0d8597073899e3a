#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>

#include "protocol/Memory.h"
#include "protocol/ReadChain.h"
#include "windows/MainLink.h"

namespace Ui {
class TfrmMemory;
}

// The unit's 4096-byte settings memory: read it in 128 packets into the main
// window's image and a hexadecimal dump, save the image as a file, and order
// the unit to format its memory.
class TfrmMemory : public QWidget {
    Q_OBJECT

public:
    explicit TfrmMemory(TMainLink& main, QWidget* parent = nullptr);
    ~TfrmMemory() override;

    // "GM": stores the packet, shows it, and requests the next one until 128
    // replies have come.
    void ReplyGM(const protocol::MemoryPacket& packet);
    // A device change has been handled. After a format the unit leaves the
    // bus and comes back; only then can the memory be read and saved again.
    void deviceChangeDone();
    // One tick of the main window for the read's watchdog. True on the tick
    // that gives the read up.
    bool readWatchdogTick();
    // Ticks the read still waits for its next packet; 0 when it is not waiting.
    std::uint8_t ReceiveMemoryPacketTimeOut() const;

private:
    void btReadMemoryClick();
    void btSaveBinClick();
    void btFormatMemoryClick();
    void setReadButtonsEnabled(bool enabled);
    // The read gives up waiting for a packet: the read buttons come back and
    // the gauge goes.
    void readTimedOut();

    TMainLink& main_;
    std::unique_ptr<Ui::TfrmMemory> ui_;
    std::uint16_t MemReadPointer = 0;
    protocol::ReadChain<std::uint16_t> memoryRead_;
    // Where a format stands: changes of other devices come and go while the
    // unit is still listed, so its return counts only once it was seen gone.
    enum class FormatWait { None, ForRemoval, ForReturn };
    FormatWait formatWait_ = FormatWait::None;
};
