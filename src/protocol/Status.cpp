#include "protocol/Status.h"

namespace protocol {

CommandReport requestStatus() {
    return CommandReport::withParams('G', 'S');
}

StatusReply decodeStatus(const Reply& reply) {
    StatusReply s;
    s.gsmSignal = reply.byte(3);
    s.rssi = reply.byte(4);
    s.digitalInputs = {reply.byte(5), reply.byte(6), reply.byte(7)};
    s.relay = reply.byte(8);
    s.adRaw = {reply.u16(9), reply.u16(11)};
    s.smsSent = reply.u16(13);
    s.smsReceived = reply.u16(15);
    s.adValue = {reply.s32(17), reply.s32(21)};
    s.phoneNumber = reply.text(25, 16);
    s.mainState = reply.byte(55);
    s.smsListState = reply.byte(56);
    s.gsmInitState = reply.byte(57);
    s.gsmLiveRemaining = reply.byte(58);
    s.usartDataReady = reply.byte(59);
    s.raportSmsState = reply.byte(60);
    s.sendSmsTextState = reply.byte(61);
    s.networkState = reply.byte(62);
    s.callFunctionOn = reply.byte(63) != 0;
    s.anAlarmDebounceCounter = reply.byte(64);
    return s;
}

}  // namespace protocol
