#include "protocol/MainCommands.h"

namespace protocol {

CommandReport requestFirmwareInfo() {
    return CommandReport::withParams('G', 'F');
}

std::u16string decodeFirmwareInfo(const Reply& reply) {
    std::u16string text;
    for (std::size_t k = 3; k <= 63; ++k) {
        if (const std::uint8_t b = reply.byte(k); b != 0) {
            text.push_back(b);
        }
    }
    return text;
}

CommandReport toggleRelay() {
    return CommandReport::withParams('S', 'O', {'T'});
}

CommandReport restartInBootMode() {
    return CommandReport::withParams('S', 'R', {'B'});
}

CommandReport sendTestSms() {
    return CommandReport::withParams('S', 'T', {'S'});
}

}  // namespace protocol
