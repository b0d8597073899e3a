#pragma once

// The analog alarm settings of channel 1: read ("GA" "A" and its reply) and
// write ("SA" "A", not answered). The reply has the layout of the write moved
// one byte further on. Limits are fixed point (the value times 10000).

#include <cstdint>
#include <optional>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"

namespace protocol {

struct AnalogAlarmSettings {
    std::int32_t maximum = 0;
    std::int32_t minimum = 0;
    std::uint16_t repeatMinutes = 0;
    std::uint8_t smsCount = 0;
    bool alarmOn = false;
    bool useCustomSms = false;
};

struct AnalogAlarmReply {
    std::int32_t maximum = 0;         // bytes 5-8
    std::int32_t minimum = 0;         // bytes 9-12
    std::uint16_t repeatMinutes = 0;  // bytes 13-14
    std::uint8_t smsCount = 0;        // byte 15
    bool alarmOn = false;             // byte 16 not 0
    // Byte 17: 0 no, 1 yes; any other value tells nothing and leaves the
    // control as it is.
    std::optional<bool> useCustomSms;
};

CommandReport requestAnalogAlarm();
CommandReport writeAnalogAlarm(const AnalogAlarmSettings& settings);
// For a reply of kind ReplyKind::AnalogAlarm.
AnalogAlarmReply decodeAnalogAlarm(const Reply& reply);

}  // namespace protocol
