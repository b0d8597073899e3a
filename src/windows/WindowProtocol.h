#pragma once

// How a window hands the protocol's reports to the main window and reads the
// replies the dispatcher gives it.

#include <span>

#include "CommandReport.h"
#include "MainLink.h"
#include "Reply.h"

// Sends `report` as it was built: its bytes from byte 3 on as the block, so
// parameter reports and block reports go out byte for byte unchanged.
inline void SendReport(TMainLink& Main, const protocol::CommandReport& report) {
    Main.HIDSendCmdBuf(static_cast<char>(report.byte(1)), static_cast<char>(report.byte(2)),
                       report.bytes().data() + 3, protocol::CommandReport::MaxBlockSize);
}

// The dispatcher's reply (byte 0 the report ID) as the protocol's decoders
// read it.
inline protocol::Reply ToReply(const ReplyBytes& bytes) {
    return protocol::Reply(std::span(bytes).subspan(1));
}
