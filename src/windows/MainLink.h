#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include <optional>

#include "profile/UnitHistory.h"

namespace protocol {
class CommandReport;
}

// What the windows need of the main window, the one gateway to the unit.
// The main window implements it; windows never reach the HID layer directly.
class TMainLink {
public:
    virtual ~TMainLink() = default;

    // Whether there is a current device. Every button that talks to the unit
    // tests this first and does nothing without one.
    virtual bool hasCurrentDevice() const = 0;

    // Sends one command report: byte 1 `Cmd`, byte 2 `SubCmd`, then `Par`
    // (Par1..Par24) from byte 3; every other byte 0.
    virtual void HIDSendCmd(char Cmd, char SubCmd,
                            std::initializer_list<std::uint8_t> Par = {}) = 0;
    // Sends one command report with `Len` (at most 59) bytes of `Buf` from byte 3.
    virtual void HIDSendCmdBuf(char Cmd, char SubCmd, const std::uint8_t* Buf, std::size_t Len) = 0;

    // The acknowledgement wait after an acknowledged write has been sent:
    // arms the shared `TimeOut` with 10 ticks and runs the event loop until
    // `WaitForOk` is cleared by the dispatcher or `TimeOut` reaches 0, in
    // which case it shows "Nema odgovora iz uredjaja!". True when acknowledged.
    virtual bool waitForAcknowledge(const bool& WaitForOk) = 0;

    // The USB serial number of the current device; empty without one.
    virtual std::u16string unitSerial() const = 0;

    // Keeps the unit's settings in its history before `reason` changes them;
    // false when the operation must not start (nothing kept, and the user
    // did not agree to go on without).
    virtual bool backUpBefore(profile::BackupReason reason) = 0;
    // Reads the whole unit and keeps it in its history as commissioned;
    // nothing, after saying why, when it could not.
    virtual std::optional<profile::KeptUnit> keepForCommissioning() = 0;
    // Sends one request the way the main window's buttons send theirs.
    virtual void sendRequest(const protocol::CommandReport& report) = 0;
    // Switches the status poll on: commissioning reads the replies.
    virtual void keepPollingStatus() = 0;
    // The unit has come back after a format.
    virtual void unitBackAfterFormat() = 0;

    // The latest raw reading of analog channel 1 from the status reply.
    virtual std::uint16_t ADRawCH1() const = 0;

    // The memory image the memory read chain fills and "Save BIN" writes.
    virtual std::array<std::uint8_t, 4096>& MemSaveBuffer() = 0;
};
