#pragma once

// The main window's and debug window's own commands: the firmware text
// ("GF" and its reply), the relay toggle ("SO" "T"), the boot mode ("SR" "B")
// and the test SMS ("ST" "S"). Only "GF" is answered.

#include <string>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"

namespace protocol {

CommandReport requestFirmwareInfo();
// The non-zero bytes among bytes 3 to 63, in order: a zero byte neither ends
// the text nor shows.
std::u16string decodeFirmwareInfo(const Reply& reply);

CommandReport toggleRelay();
CommandReport restartInBootMode();
CommandReport sendTestSms();

}  // namespace protocol
