#pragma once

// The status request "GS" and its reply: the unit's live values, polled by the
// main window and shown there and in the debug window.

#include <array>
#include <cstdint>
#include <string>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"

namespace protocol {

struct StatusReply {
    std::uint8_t gsmSignal = 0;                   // byte 3, level 0 to 5
    std::uint8_t rssi = 0;                        // byte 4
    std::array<std::uint8_t, 3> digitalInputs{};  // bytes 5 to 7, 0 inactive
    std::uint8_t relay = 0;                       // byte 8, 0 off
    std::array<std::uint16_t, 2> adRaw{};         // bytes 9-10 and 11-12
    std::uint16_t smsSent = 0;                    // bytes 13-14
    std::uint16_t smsReceived = 0;                // bytes 15-16
    std::array<std::int32_t, 2> adValue{};        // bytes 17-20 and 21-24, fixed point
    std::u16string phoneNumber;                   // bytes 25 to 40
    // Firmware values shown by the debug window.
    std::uint8_t mainState = 0;               // byte 55 "MainStateM"
    std::uint8_t smsListState = 0;            // byte 56 "SMSListState"
    std::uint8_t gsmInitState = 0;            // byte 57 "GSM_Init_State"
    std::uint8_t gsmLiveRemaining = 0;        // byte 58 "GSMLiveRemaining"
    std::uint8_t usartDataReady = 0;          // byte 59 "USARTDataReady(GSM_UART)"
    std::uint8_t raportSmsState = 0;          // byte 60 "RaportSMSStateM"
    std::uint8_t sendSmsTextState = 0;        // byte 61 "SendSMSTextStateM"
    std::uint8_t networkState = 0;            // byte 62, 0 to 3
    bool callFunctionOn = false;              // byte 63 not 0
    std::uint8_t anAlarmDebounceCounter = 0;  // byte 64 "ANAlarmDebounceCntr"
};

CommandReport requestStatus();
StatusReply decodeStatus(const Reply& reply);

}  // namespace protocol
