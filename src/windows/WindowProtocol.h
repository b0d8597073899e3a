#pragma once

// How a window hands the protocol's reports to the main window and runs the
// protocol's sequences through it.

#include <QWidget>

#include <cstddef>
#include <functional>
#include <initializer_list>

#include "protocol/AcknowledgedWrite.h"
#include "protocol/CommandReport.h"
#include "protocol/ReadChain.h"
#include "windows/MainLink.h"

// Sends `report` as it was built: its bytes from byte 3 on as the block, so
// parameter reports and block reports go out byte for byte unchanged.
inline void sendReport(TMainLink& main, const protocol::CommandReport& report) {
    main.HIDSendCmdBuf(static_cast<char>(report.byte(1)), static_cast<char>(report.byte(2)),
                       report.bytes().data() + 3, protocol::CommandReport::MaxBlockSize);
}

// Sends `report` when there is a current device; a read chain's next request
// goes nowhere once the unit is gone.
inline void sendToCurrentDevice(TMainLink& main, const protocol::CommandReport& report) {
    if (main.hasCurrentDevice()) {
        sendReport(main, report);
    }
}

// An acknowledged write whose waits are the main window's.
inline protocol::AcknowledgedWrite acknowledgedWrite(TMainLink& main) {
    protocol::AcknowledgedWrite write;
    write.wait = [&main](const bool& waitForOk) { return main.waitForAcknowledge(waitForOk); };
    return write;
}

// One tick of a read chain's watchdog; the chain's gauges go on the tick that
// gives the wait up. True on that tick.
template <typename Index>
bool watchdogTick(protocol::ReadChain<Index>& chain, std::initializer_list<QWidget*> gauges) {
    if (!chain.tick()) {
        return false;
    }
    for (QWidget* gauge : gauges) {
        gauge->hide();
    }
    return true;
}
