#include "protocol/AnalogAlarm.h"

#include "protocol/BigEndian.h"

namespace protocol {

CommandReport requestAnalogAlarm() {
    return CommandReport::withParams('G', 'A', {'A'});
}

CommandReport writeAnalogAlarm(const AnalogAlarmSettings& s) {
    // Indexes are report bytes minus 3.
    CommandReport::Params params{'A'};
    writeU32(params, 1, static_cast<std::uint32_t>(s.maximum));  // bytes 4-7
    writeU32(params, 5, static_cast<std::uint32_t>(s.minimum));  // bytes 8-11
    writeU16(params, 9, s.repeatMinutes);                        // bytes 12-13
    params[11] = s.smsCount;                                     // byte 14
    params[12] = s.alarmOn;                                      // byte 15
    params[13] = s.useCustomSms;                                 // byte 16
    return CommandReport::withParams('S', 'A', params);
}

AnalogAlarmReply decodeAnalogAlarm(const Reply& reply) {
    AnalogAlarmReply a;
    a.maximum = reply.s32(5);
    a.minimum = reply.s32(9);
    a.repeatMinutes = reply.u16(13);
    a.smsCount = reply.byte(15);
    a.alarmOn = reply.byte(16) != 0;
    if (const std::uint8_t custom = reply.byte(17); custom <= 1) {
        a.useCustomSms = custom == 1;
    }
    return a;
}

}  // namespace protocol
