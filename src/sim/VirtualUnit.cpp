#include "sim/VirtualUnit.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace map = UnitMemoryMap;

namespace {

std::uint32_t readBig(const std::uint8_t* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

void writeBig(std::uint8_t* bytes, int count, std::uint32_t value) {
    for (int i = count - 1; i >= 0; --i) {
        bytes[i] = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

// A text field: the bytes up to the first zero, or the whole field.
std::string readText(const std::uint8_t* field, std::size_t size) {
    const auto* end = std::find(field, field + size, std::uint8_t{0});
    return std::string(field, end);
}

void writeText(std::uint8_t* field, std::size_t size, std::string_view text) {
    std::fill(field, field + size, std::uint8_t{0});
    std::copy_n(text.begin(), std::min(size, text.size()), field);
}

UnitReport reply(char a, char b) {
    UnitReport report(UnitReportLength, 0);
    report[1] = static_cast<std::uint8_t>(a);
    report[2] = static_cast<std::uint8_t>(b);
    return report;
}

bool hasTag(const UnitReport& report, std::string_view tag) {
    return tag.size() == 2 && report[1] == static_cast<std::uint8_t>(tag[0]) &&
           report[2] == static_cast<std::uint8_t>(tag[1]);
}

std::uint64_t splitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// (raw + offset) * K + N in units of 0.0001, held to the signed 32-bit range
// of the reply field instead of wrapping into a value of the wrong sign.
std::int32_t calculatedValue(std::uint16_t raw, std::int16_t offset, std::int32_t k,
                             std::int32_t n) {
    const std::int64_t value =
        (static_cast<std::int64_t>(raw) + offset) * k + static_cast<std::int64_t>(n);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

VirtualUnit::VirtualUnit(std::uint64_t seed) : seed_(seed), firmware_("BRV8 FW 3.02 02.12.2016") {
    format();
}

void VirtualUnit::format() {
    memory_.fill(map::Filler);
    for (int i = 0; i < map::GsmNumberCount; ++i) {
        setGsmNumber(i, {});
    }
    for (int i = 0; i < map::SmsTextCount; ++i) {
        setSmsText(i, {});
    }
    setDigitalTriggers({{0, 0, 0}, {5, 5, 5}, 0});
    setAnalogAlarm({1000000, 0, 60, 3, 0, 0});
    setCalibration({{10000, 10000}, {0, 0}, {0, 0}, {0, 0}});
    for (int i = 0; i < map::PhonebookRecordCount; ++i) {
        setPhonebookRecord(i, {});
    }
    setRelayPulseTime(10);
    setCallFunction(0);
}

std::string VirtualUnit::gsmNumber(int index) const {
    return readText(&memory_[map::GsmNumbers + index * map::GsmNumberSize], map::GsmNumberSize);
}

void VirtualUnit::setGsmNumber(int index, std::string_view number) {
    writeText(&memory_[map::GsmNumbers + index * map::GsmNumberSize], map::GsmNumberSize, number);
}

std::string VirtualUnit::smsText(int slot) const {
    return readText(&memory_[map::SmsTexts + slot * map::SmsTextSize], map::SmsTextSize);
}

void VirtualUnit::setSmsText(int slot, std::string_view text) {
    writeText(&memory_[map::SmsTexts + slot * map::SmsTextSize], map::SmsTextSize, text);
}

UnitDigitalTriggers VirtualUnit::digitalTriggers() const {
    UnitDigitalTriggers t;
    for (int i = 0; i < map::InputCount; ++i) {
        t.enables[i] = memory_[map::InputEnables + i];
        t.delays[i] = memory_[map::InputDelays + i];
    }
    t.allEnabled = memory_[map::InputsAllEnabled];
    return t;
}

void VirtualUnit::setDigitalTriggers(const UnitDigitalTriggers& t) {
    for (int i = 0; i < map::InputCount; ++i) {
        memory_[map::InputEnables + i] = t.enables[i];
        memory_[map::InputDelays + i] = t.delays[i];
    }
    memory_[map::InputsAllEnabled] = t.allEnabled;
}

UnitAnalogAlarm VirtualUnit::analogAlarm() const {
    UnitAnalogAlarm a;
    a.upperLimit = static_cast<std::int32_t>(readBig(&memory_[map::AlarmUpperLimit], 4));
    a.lowerLimit = static_cast<std::int32_t>(readBig(&memory_[map::AlarmLowerLimit], 4));
    a.repeatMinutes = static_cast<std::uint16_t>(readBig(&memory_[map::AlarmRepeatMinutes], 2));
    a.messageCount = memory_[map::AlarmMessageCount];
    a.alarmOn = memory_[map::AlarmOn];
    a.userTexts = memory_[map::AlarmUserTexts];
    return a;
}

void VirtualUnit::setAnalogAlarm(const UnitAnalogAlarm& a) {
    writeBig(&memory_[map::AlarmUpperLimit], 4, static_cast<std::uint32_t>(a.upperLimit));
    writeBig(&memory_[map::AlarmLowerLimit], 4, static_cast<std::uint32_t>(a.lowerLimit));
    writeBig(&memory_[map::AlarmRepeatMinutes], 2, a.repeatMinutes);
    memory_[map::AlarmMessageCount] = a.messageCount;
    memory_[map::AlarmOn] = a.alarmOn;
    memory_[map::AlarmUserTexts] = a.userTexts;
}

// Channel 2's K and N follow channel 1's; so do the offsets and the flags.
UnitCalibration VirtualUnit::calibration() const {
    UnitCalibration c;
    for (int ch = 0; ch < 2; ++ch) {
        c.k[ch] = static_cast<std::int32_t>(readBig(&memory_[map::CoefK1 + 8 * ch], 4));
        c.n[ch] = static_cast<std::int32_t>(readBig(&memory_[map::CoefN1 + 8 * ch], 4));
        c.offset[ch] = static_cast<std::int16_t>(readBig(&memory_[map::RawOffset1 + 2 * ch], 2));
        c.voltageOut[ch] = memory_[map::VoltageOut1 + ch];
    }
    return c;
}

void VirtualUnit::setCalibration(const UnitCalibration& c) {
    for (int ch = 0; ch < 2; ++ch) {
        writeBig(&memory_[map::CoefK1 + 8 * ch], 4, static_cast<std::uint32_t>(c.k[ch]));
        writeBig(&memory_[map::CoefN1 + 8 * ch], 4, static_cast<std::uint32_t>(c.n[ch]));
        writeBig(&memory_[map::RawOffset1 + 2 * ch], 2, static_cast<std::uint16_t>(c.offset[ch]));
        memory_[map::VoltageOut1 + ch] = c.voltageOut[ch];
    }
}

UnitPhonebookRecord VirtualUnit::phonebookRecord(int index) const {
    const std::uint8_t* record = &memory_[map::Phonebook + index * map::PhonebookRecordSize];
    return {readText(record + map::RecordNumber, map::RecordNumberSize),
            readText(record + map::RecordNote, map::RecordNoteSize), record[map::RecordActive]};
}

void VirtualUnit::setPhonebookRecord(int index, const UnitPhonebookRecord& r) {
    std::uint8_t* record = &memory_[map::Phonebook + index * map::PhonebookRecordSize];
    writeText(record + map::RecordNumber, map::RecordNumberSize, r.number);
    writeText(record + map::RecordNote, map::RecordNoteSize, r.note);
    record[map::RecordActive] = r.active;
}

void VirtualUnit::setRelayPulseTime(std::uint8_t ticks) {
    if (ticks >= 1 && ticks <= 250) {
        memory_[map::RelayPulseTime] = ticks;
    }
}

std::uint16_t VirtualUnit::rawReading(int channel) const {
    if (live_.fixedRaw[channel]) {
        return *live_.fixedRaw[channel];
    }
    // A slow swing over a 12-bit range, one period per 600 status requests
    // (a minute of polling), the channels a quarter period apart, plus noise.
    const double phase =
        2.0 * std::numbers::pi * (statusCount_ % 600) / 600.0 + channel * std::numbers::pi / 2.0;
    const std::uint64_t noise = splitMix(seed_ ^ splitMix(statusCount_ * 2u + channel));
    const double value = 2048.0 + 1500.0 * std::sin(phase) + static_cast<int>(noise % 33) - 16;
    return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0l, 4095l));
}

void VirtualUnit::setWandering(std::uint64_t seed, Clock clock) {
    if (!clock) {
        clock = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
    }
    clock_ = std::move(clock);
    wanderStart_ = clock_();
    wander_ = std::make_unique<UnitWander>(seed);
}

UnitResponse VirtualUnit::handle(const std::uint8_t* report, std::size_t size) {
    Request request{};
    std::copy_n(report, std::min(size, request.size()), request.begin());
    record(true, UnitReport(request.begin(), request.end()));
    ++requestCount_;

    if (behaviour_.unplugAtRequest != 0 && requestCount_ == behaviour_.unplugAtRequest) {
        UnitResponse gone;
        gone.bus = UnitResponse::Bus::Leave;
        return gone;
    }
    UnitResponse response = answer(request);
    response.replies = applyFaults(std::move(response.replies));
    response.delayMs = behaviour_.latencyMs;
    for (const UnitReport& r : response.replies) {
        record(false, r);
    }
    return response;
}

void VirtualUnit::record(bool toUnit, UnitReport bytes) {
    if (transcript_.size() == TranscriptLimit) {
        transcript_.pop_front();
    }
    transcript_.push_back({toUnit, std::move(bytes)});
}

std::vector<UnitReport> VirtualUnit::applyFaults(std::vector<UnitReport> replies) {
    std::vector<UnitReport> sent;
    for (UnitReport& r : replies) {
        ++replyCount_;
        const bool acknowledgement = hasTag(r, "SN") || hasTag(r, "SP") || hasTag(r, "SC");
        if (behaviour_.dropAllReplies || hasTag(r, behaviour_.dropTag) ||
            replyCount_ == behaviour_.dropNthReply ||
            (acknowledgement && behaviour_.neverAcknowledge)) {
            continue;
        }
        if (behaviour_.wrongTag.size() == 2) {
            r[1] = static_cast<std::uint8_t>(behaviour_.wrongTag[0]);
            r[2] = static_cast<std::uint8_t>(behaviour_.wrongTag[1]);
        }
        if (behaviour_.shortReportBytes) {
            r.resize(std::min(*behaviour_.shortReportBytes, r.size()));
        }
        if (behaviour_.duplicateReplies) {
            sent.push_back(r);
        }
        sent.push_back(std::move(r));
    }
    return sent;
}

UnitReport VirtualUnit::statusReply() {
    UnitReport r = reply('G', 'S');
    std::optional<WanderValues> wandered;
    if (wander_) {
        wandered = wander_->at(clock_() - wanderStart_);
    }
    r[3] = wandered ? wandered->signalLevel : live_.signalLevel;
    r[4] = wandered ? wandered->rssi : live_.rssi;
    const auto& inputs = wandered ? wandered->inputs : live_.inputs;
    std::copy(inputs.begin(), inputs.end(), &r[5]);
    r[8] = live_.relay;
    const UnitCalibration c = calibration();
    for (int ch = 0; ch < 2; ++ch) {
        const std::uint16_t raw =
            wandered && !live_.fixedRaw[ch] ? wandered->raw[ch] : rawReading(ch);
        writeBig(&r[9 + 2 * ch], 2, raw);
        writeBig(&r[17 + 4 * ch], 4,
                 static_cast<std::uint32_t>(calculatedValue(raw, c.offset[ch], c.k[ch], c.n[ch])));
    }
    writeBig(&r[13], 2, live_.smsSent);
    writeBig(&r[15], 2, live_.smsReceived);
    writeText(&r[25], 16, live_.phoneNumber);
    std::copy_n(live_.stateValues.begin(), 7, &r[55]);
    r[62] = wandered && wandered->searching ? 3 : live_.networkState;
    r[63] = live_.fixedCallFunction.value_or(callFunction());
    r[64] = live_.stateValues[7];
    ++statusCount_;
    return r;
}

UnitResponse VirtualUnit::answer(const Request& q) {
    UnitResponse out;
    auto send = [&out](UnitReport r) { out.replies.push_back(std::move(r)); };
    const char cmd = static_cast<char>(q[1]);
    const char sub = static_cast<char>(q[2]);
    const char selector = static_cast<char>(q[3]);

    if (cmd == 'G' && sub == 'F') {
        UnitReport r = reply('G', 'F');
        writeText(&r[3], 61, firmware_);
        send(std::move(r));
    } else if (cmd == 'G' && sub == 'S') {
        send(statusReply());
    } else if (cmd == 'G' && sub == 'M') {
        const std::uint32_t packet = readBig(&q[3], 2);
        if (packet < map::PacketCount) {
            UnitReport r = reply('G', 'M');
            writeBig(&r[3], 2, packet);
            std::copy_n(&memory_[packet * map::PacketSize], map::PacketSize, &r[5]);
            send(std::move(r));
        }
    } else if (cmd == 'S' && sub == 'F') {
        format();
        live_.relay = 0;
        out.bus = UnitResponse::Bus::LeaveAndReturn;
        out.offBusMs = behaviour_.formatTimeMs;
    } else if (cmd == 'G' && sub == 'N') {
        if (q[3] < map::GsmNumberCount) {
            UnitReport r = reply('G', 'N');
            r[3] = q[3];
            writeText(&r[5], map::GsmNumberSize, gsmNumber(q[3]));
            send(std::move(r));
        }
    } else if (cmd == 'S' && sub == 'N') {
        if (q[3] < map::GsmNumberCount) {
            setGsmNumber(q[3], readText(&q[4], map::GsmNumberSize));
            send(reply('S', 'N'));
        }
    } else if (cmd == 'G' && sub == 'P') {
        if (q[3] < map::SmsTextCount) {
            UnitReport r = reply('G', 'P');
            r[4] = q[3];
            writeText(&r[5], map::SmsTextSize, smsText(q[3]));
            send(std::move(r));
        }
    } else if (cmd == 'S' && sub == 'P') {
        if (q[3] < map::SmsTextCount) {
            setSmsText(q[3], readText(&q[4], map::SmsTextSize));
            send(reply('S', 'P'));
        }
    } else if (cmd == 'G' && sub == 'A' && selector == 'D') {
        const UnitDigitalTriggers t = digitalTriggers();
        UnitReport r = reply('G', 'A');
        r[4] = 'D';
        for (int i = 0; i < map::InputCount; ++i) {
            r[5] |= static_cast<std::uint8_t>((t.enables[i] != 0 ? 1 : 0) << i);
            r[6 + i] = t.delays[i];
        }
        r[9] = t.allEnabled;
        send(std::move(r));
    } else if (cmd == 'S' && sub == 'A' && selector == 'D') {
        setDigitalTriggers({{q[4], q[5], q[6]}, {q[7], q[8], q[9]}, q[10]});
    } else if ((sub == 'A' || sub == 'K') && selector == 'A') {
        // The analog alarm and the calibration are kept as the block their
        // write carries from byte 4; the read's reply is it one byte later.
        const std::size_t offset = sub == 'A' ? map::AnalogAlarm : map::Calibration;
        const std::size_t size = sub == 'A' ? map::AnalogAlarmSize : map::CalibrationSize;
        if (cmd == 'G') {
            UnitReport r = reply('G', sub);
            r[4] = 'A';
            std::copy_n(&memory_[offset], size, &r[5]);
            send(std::move(r));
        } else if (cmd == 'S') {
            std::copy_n(&q[4], size, &memory_[offset]);
        }
    } else if (cmd == 'G' && sub == 'C') {
        const std::uint32_t index = readBig(&q[3], 2);
        if (index < map::PhonebookRecordCount) {
            const UnitPhonebookRecord record = phonebookRecord(static_cast<int>(index));
            UnitReport r = reply('G', 'C');
            writeBig(&r[3], 2, index);
            writeText(&r[5], map::RecordNumberSize, record.number);
            writeText(&r[21], map::RecordNoteSize, record.note);
            r[28] = record.active;
            send(std::move(r));
        }
    } else if (cmd == 'S' && sub == 'C') {
        const std::uint32_t index = readBig(&q[3], 2);
        if (index < map::PhonebookRecordCount) {
            setPhonebookRecord(static_cast<int>(index),
                               {readText(&q[5], map::RecordNumberSize),
                                readText(&q[21], map::RecordNoteSize), q[28]});
            send(reply('S', 'C'));
        }
    } else if (cmd == 'S' && sub == 'D' && selector == 'E') {
        setCallFunction(q[4]);
    } else if (cmd == 'G' && sub == 'O') {
        UnitReport r = reply('G', 'O');
        r[4] = relayPulseTime();
        send(std::move(r));
    } else if (cmd == 'S' && sub == 'O' && selector == 'P') {
        setRelayPulseTime(q[4]);
    } else if (cmd == 'S' && sub == 'O' && selector == 'T') {
        live_.relay = live_.relay != 0 ? 0 : 1;
    } else if (cmd == 'S' && sub == 'T' && selector == 'S') {
        for (int i = 0; i < map::GsmNumberCount; ++i) {
            if (!gsmNumber(i).empty()) {
                ++live_.smsSent;
            }
        }
    } else if (cmd == 'S' && sub == 'R' && selector == 'B') {
        live_.relay = 0;
        out.bus = UnitResponse::Bus::LeaveAndReturn;
        out.offBusMs = behaviour_.bootTimeMs;
    }
    return out;
}
