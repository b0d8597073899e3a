#pragma once

// A unit's whole set-up, as saved to and loaded from a profile file. Each
// group is optional: a group left out means "leave that group on the unit as
// it is". Texts are kept in UTF-16 exactly as read from the unit, so a text
// longer than the unit accepts survives a save; checkProfile() tells which
// texts cannot be written back.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "protocol/Calibration.h"
#include "protocol/DigitalTriggers.h"
#include "protocol/GsmNumbers.h"
#include "protocol/Phonebook.h"
#include "protocol/SmsTexts.h"

namespace profile {

inline constexpr std::size_t DigitalInputCount = 3;
inline constexpr std::size_t CalibrationChannelCount = 2;

struct DigitalInput {
    bool trigger = false;
    std::uint8_t detectionDelay = 0;  // ticks of 100 ms
    bool operator==(const DigitalInput&) const = default;
};

// Limits are fixed point: the value times 10000.
struct AnalogAlarm {
    std::int32_t max = 0;
    std::int32_t min = 0;
    std::uint16_t repeatMinutes = 0;
    std::uint8_t smsCount = 0;
    bool on = false;
    bool userTexts = false;
    bool operator==(const AnalogAlarm&) const = default;
};

// K and N are fixed point: the value times 10000.
struct CalibrationChannel {
    std::int32_t k = 0;
    std::int32_t n = 0;
    std::int16_t rawOffset = 0;
    bool voltageOut = false;
    bool operator==(const CalibrationChannel&) const = default;
};

struct PhonebookRecord {
    std::u16string number;
    std::u16string note;
    bool active = false;
    bool operator==(const PhonebookRecord&) const = default;
};

struct UnitProfile {
    // The firmware text when the profile was made; never written to a unit.
    std::optional<std::u16string> firmware;
    // The USB serial number of the unit the profile was made from; as the
    // firmware text, informative and never written to a unit.
    std::optional<std::u16string> serial;
    std::optional<std::array<std::u16string, protocol::GsmNumberCount>> gsmNumbers;
    std::optional<std::array<std::u16string, protocol::SmsSlotCount>> smsTexts;
    std::optional<std::array<DigitalInput, DigitalInputCount>> digitalInputs;
    std::optional<bool> digitalInputsAllEnabled;
    std::optional<AnalogAlarm> analogAlarm;
    // Channel 1, then the hidden channel 2.
    std::optional<std::array<CalibrationChannel, CalibrationChannelCount>> calibration;
    std::optional<std::uint8_t> relayPulseTime;  // ticks of 100 ms, 1 to 250
    std::optional<bool> callFunction;
    std::optional<std::array<PhonebookRecord, protocol::PhonebookRecordCount>> phonebook;
    bool operator==(const UnitProfile&) const = default;
};

// The values of the calibration request ("SK") for `channels`.
inline protocol::Calibration calibrationOf(
    const std::array<CalibrationChannel, CalibrationChannelCount>& channels) {
    protocol::Calibration calibration;
    for (std::size_t i = 0; i < CalibrationChannelCount; ++i) {
        const CalibrationChannel& c = channels[i];
        calibration.channels[i] = {c.k, c.n, c.rawOffset, c.voltageOut};
    }
    return calibration;
}

// Puts each input's trigger and delay into `triggers`; its all-enabled flag
// stays as it is.
inline void putDigitalInputs(const std::array<DigitalInput, DigitalInputCount>& inputs,
                             protocol::DigitalTriggers& triggers) {
    for (std::size_t i = 0; i < DigitalInputCount; ++i) {
        triggers.enabled[i] = inputs[i].trigger;
        triggers.delays[i] = inputs[i].detectionDelay;
    }
}

}  // namespace profile
