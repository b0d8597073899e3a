#pragma once

// The unit's side of the protocol: takes the command reports the tool writes
// and answers with the input reports the unit would send, keeping every
// setting in a 4096-byte settings memory laid out as UnitMemoryMap.h says.
//
// It decodes and encodes with its own code, written from the byte layouts of
// the unit, and never with the tool's protocol layer: a byte misplaced on
// either side then fails a test instead of cancelling out.
//
// This is a plain object: a report goes in, the replies and what the unit does
// with its USB connection come out. Presenting it as a HID device is the job
// of SimUnitDevice.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/UnitMemoryMap.h"
#include "sim/UnitWander.h"

// One report as it crosses the link, report ID byte first.
using UnitReport = std::vector<std::uint8_t>;

// The length of the unit's input and output reports: report ID 0 and 64 bytes.
inline constexpr std::size_t UnitReportLength = 65;

// What the unit does in answer to one output report.
struct UnitResponse {
    // Input reports to send, in order, after delayMs.
    std::vector<UnitReport> replies;
    std::uint32_t delayMs = 0;

    enum class Bus {
        Stay,            // stays attached
        Leave,           // leaves the bus and stays away
        LeaveAndReturn,  // leaves the bus and comes back after offBusMs
    };
    Bus bus = Bus::Stay;
    std::uint32_t offBusMs = 0;
};

// How a unit behaves, set per unit by tests and by the demo.
struct UnitBehaviour {
    // Time between a request and its replies.
    std::uint32_t latencyMs = 0;
    // Time the unit stays off the bus while it formats its memory ("SF") and
    // while it restarts in its boot mode ("SR" "B").
    std::uint32_t formatTimeMs = 1000;
    std::uint32_t bootTimeMs = 500;

    // Faults. Replies are counted from 1 in the order the protocol makes
    // them, before any fault removes one; requests likewise.
    bool dropAllReplies = false;
    std::string dropTag;                          // two letters: replies with this tag are lost
    std::uint32_t dropNthReply = 0;               // 0: none
    bool neverAcknowledge = false;                // "SN", "SP" and "SC" are never sent
    std::string wrongTag;                         // two letters put in place of every reply's tag
    std::optional<std::size_t> shortReportBytes;  // every reply cut to this length
    bool duplicateReplies = false;                // every reply is sent twice
    // On the n-th request the unit leaves the bus for good, without answering.
    std::uint32_t unplugAtRequest = 0;  // 0: never
};

// The live values the status reply carries. The unit changes only relay (the
// toggle; a restart turns it off) and smsSent (the test SMS); tests set any
// of them.
struct UnitLiveValues {
    std::uint8_t signalLevel = 4;  // 0 to 5
    std::uint8_t rssi = 21;
    std::uint8_t networkState = 1;  // registered, home network
    std::array<std::uint8_t, 3> inputs{};
    std::uint8_t relay = 0;
    // Raw readings of channels 1 and 2; a slow waveform with noise when empty.
    std::array<std::optional<std::uint16_t>, 2> fixedRaw{};
    // The call-function byte; the stored setting when empty.
    std::optional<std::uint8_t> fixedCallFunction;
    std::uint16_t smsSent = 0;
    std::uint16_t smsReceived = 0;
    std::string phoneNumber;  // up to 16 characters
    // Status bytes 55 to 61 and 64, in that order.
    std::array<std::uint8_t, 8> stateValues{2, 0, 9, 60, 0, 0, 0, 0};
};

struct UnitDigitalTriggers {
    std::array<std::uint8_t, 3> enables{};
    std::array<std::uint8_t, 3> delays{};
    std::uint8_t allEnabled = 0;
    friend bool operator==(const UnitDigitalTriggers&, const UnitDigitalTriggers&) = default;
};

struct UnitAnalogAlarm {
    std::int32_t upperLimit = 0;  // times 10000
    std::int32_t lowerLimit = 0;  // times 10000
    std::uint16_t repeatMinutes = 0;
    std::uint8_t messageCount = 0;
    std::uint8_t alarmOn = 0;
    std::uint8_t userTexts = 0;
    friend bool operator==(const UnitAnalogAlarm&, const UnitAnalogAlarm&) = default;
};

struct UnitCalibration {
    std::array<std::int32_t, 2> k{};  // times 10000
    std::array<std::int32_t, 2> n{};  // times 10000
    std::array<std::int16_t, 2> offset{};
    std::array<std::uint8_t, 2> voltageOut{};
    friend bool operator==(const UnitCalibration&, const UnitCalibration&) = default;
};

struct UnitPhonebookRecord {
    std::string number;  // up to 16 characters
    std::string note;    // up to 6 characters
    std::uint8_t active = 0;
    friend bool operator==(const UnitPhonebookRecord&, const UnitPhonebookRecord&) = default;
};

struct UnitTranscriptEntry {
    bool toUnit = false;  // true for a request, false for a reply
    UnitReport bytes;
};

class VirtualUnit {
public:
    using Memory = std::array<std::uint8_t, UnitMemoryMap::MemorySize>;

    // The seed drives the noise of the raw readings. A new unit holds its
    // formatted memory.
    explicit VirtualUnit(std::uint64_t seed = 1);

    // Handles one output report (report ID first; shorter reports read as if
    // padded with zeros, longer ones are cut to 65 bytes).
    UnitResponse handle(const std::uint8_t* report, std::size_t size);
    UnitResponse handle(const UnitReport& report) { return handle(report.data(), report.size()); }

    UnitBehaviour& behaviour() { return behaviour_; }
    UnitLiveValues& live() { return live_; }
    const UnitLiveValues& live() const { return live_; }

    // At most 61 characters reach the "GF" reply.
    const std::string& firmwareText() const { return firmware_; }
    void setFirmwareText(std::string text) { firmware_ = std::move(text); }

    // The raw reading the status reply of a unit that does not wander
    // carries next for channel 0 or 1.
    std::uint16_t rawReading(int channel) const;

    // Milliseconds on a clock that only goes forward.
    using Clock = std::function<std::int64_t()>;
    // From now on the status reply carries the values of a UnitWander with
    // this seed, timed by `clock` (the steady clock when empty) from this
    // call on, instead of the live signal, RSSI and inputs; the network state
    // is 3 while the wander says so, and fixed raw readings stay fixed. A
    // demonstration run turns it on; a unit made by a test stays still.
    void setWandering(std::uint64_t seed, Clock clock = {});

    // The requests received and the replies sent, in order: the most recent
    // TranscriptLimit of them, so that a long demonstration run stays small.
    static constexpr std::size_t TranscriptLimit = 100'000;
    const std::deque<UnitTranscriptEntry>& transcript() const { return transcript_; }

    // --- settings, read and written in the settings memory ----------------
    const Memory& memory() const { return memory_; }
    // Puts `value` at `offset` (below MemorySize) as no request could: the
    // memory of a unit whose firmware left it so, such as a pulse time of 0.
    void setMemoryByte(std::size_t offset, std::uint8_t value) { memory_.at(offset) = value; }
    // Fills the memory with filler and puts every setting at its default.
    void format();

    // Texts are bytes, one per character; a longer text is cut to its field.
    std::string gsmNumber(int index) const;
    void setGsmNumber(int index, std::string_view number);
    std::string smsText(int slot) const;
    void setSmsText(int slot, std::string_view text);
    UnitDigitalTriggers digitalTriggers() const;
    void setDigitalTriggers(const UnitDigitalTriggers& triggers);
    UnitAnalogAlarm analogAlarm() const;
    void setAnalogAlarm(const UnitAnalogAlarm& alarm);
    UnitCalibration calibration() const;
    void setCalibration(const UnitCalibration& calibration);
    UnitPhonebookRecord phonebookRecord(int index) const;
    void setPhonebookRecord(int index, const UnitPhonebookRecord& record);
    std::uint8_t relayPulseTime() const { return memory_[UnitMemoryMap::RelayPulseTime]; }
    // Values outside 1 to 250 are refused and leave the time as it was.
    void setRelayPulseTime(std::uint8_t ticks);
    std::uint8_t callFunction() const { return memory_[UnitMemoryMap::CallFunction]; }
    void setCallFunction(std::uint8_t on) { memory_[UnitMemoryMap::CallFunction] = on; }

private:
    using Request = std::array<std::uint8_t, UnitReportLength>;

    UnitResponse answer(const Request& request);
    UnitReport statusReply();
    std::vector<UnitReport> applyFaults(std::vector<UnitReport> replies);
    void record(bool toUnit, UnitReport bytes);

    std::uint64_t seed_;
    Memory memory_{};
    std::string firmware_;
    UnitBehaviour behaviour_;
    UnitLiveValues live_;
    std::uint32_t statusCount_ = 0;
    std::uint32_t requestCount_ = 0;
    std::uint32_t replyCount_ = 0;
    std::unique_ptr<UnitWander> wander_;
    Clock clock_;
    std::int64_t wanderStart_ = 0;
    std::deque<UnitTranscriptEntry> transcript_;
};
