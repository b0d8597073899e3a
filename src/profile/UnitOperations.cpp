#include "profile/UnitOperations.h"

#include <algorithm>
#include <string>

#include "protocol/AcknowledgedWrite.h"
#include "protocol/AnalogAlarm.h"
#include "protocol/Calibration.h"
#include "protocol/DigitalTriggers.h"
#include "protocol/GsmNumbers.h"
#include "protocol/MainCommands.h"
#include "protocol/Phonebook.h"
#include "protocol/PulseTime.h"
#include "protocol/SmsTexts.h"
#include "protocol/Status.h"
#include "protocol/WireText.h"

namespace profile {

namespace {

using protocol::CommandReport;
using protocol::Reply;
using protocol::ReplyKind;

void notify(const ProgressHandler& progress, bool writing, const QString& what, std::size_t done,
            std::size_t count) {
    if (progress) {
        progress({writing, what, done, count});
    }
}

Stop stopAt(const UnitExchange& exchange, bool writing, const QString& where) {
    return {!exchange.present(), writing, where};
}

// Reads records 0 to count - 1 of `what` in one read chain: each reply that
// `take` accepts as the record asked for requests the next one. A reply for
// another record (a late copy of an earlier one) is passed over. Answers why
// the read stopped, or nothing when every record came.
template <typename Index, typename Request, typename Take>
std::optional<Stop> readRecords(UnitExchange& exchange, const QString& what, std::size_t count,
                                ReplyKind kind, Request request, Take take,
                                const ProgressHandler& progress) {
    Index position{};
    bool sent = false;
    protocol::ReadChain<Index> chain(position,
                                     [&](Index index) { sent = exchange.send(request(index)); });
    chain.start(0, static_cast<Index>(count - 1));
    do {
        std::optional<Reply> reply;
        while (sent && (reply = exchange.waitFor(kind, chain.watchdog() * TickLength)) &&
               !take(*reply, position)) {
        }
        if (!reply) {
            return stopAt(exchange, false, QStringLiteral("%1[%2]").arg(what).arg(position));
        }
        notify(progress, false, what, std::size_t{position} + 1, count);
    } while (chain.replyArrived());
    return std::nullopt;
}

std::optional<Stop> readGroup(UnitExchange& exchange, Group group, UnitProfile& p,
                              const ProgressHandler& progress) {
    const QString name = groupName(group);
    const auto single = [&](const CommandReport& request, ReplyKind kind) {
        std::optional<Reply> reply = ask(exchange, request, kind);
        if (reply) {
            notify(progress, false, name, 1, 1);
        }
        return reply;
    };
    switch (group) {
        case Group::Firmware:
            if (const auto reply =
                    single(protocol::requestFirmwareInfo(), ReplyKind::FirmwareInfo)) {
                p.firmware = protocol::decodeFirmwareInfo(*reply);
                return std::nullopt;
            }
            break;
        case Group::GsmNumbers: {
            std::array<std::u16string, protocol::GsmNumberCount> numbers;
            auto stopped = readRecords<std::uint8_t>(
                exchange, name, numbers.size(), ReplyKind::GsmNumber, protocol::requestGsmNumber,
                [&](const Reply& reply, std::uint8_t index) {
                    protocol::GsmNumberReply number = protocol::decodeGsmNumber(reply);
                    if (number.index != index) {
                        return false;
                    }
                    numbers[index] = std::move(number.number);
                    return true;
                },
                progress);
            if (!stopped) {
                p.gsmNumbers = std::move(numbers);
            }
            return stopped;
        }
        case Group::SmsTexts: {
            std::array<std::u16string, protocol::SmsSlotCount> texts;
            auto stopped = readRecords<std::uint8_t>(
                exchange, name, texts.size(), ReplyKind::SmsText, protocol::requestSmsText,
                [&](const Reply& reply, std::uint8_t slot) {
                    protocol::SmsTextReply text = protocol::decodeSmsText(reply);
                    if (text.slot != slot) {
                        return false;
                    }
                    texts[slot] = std::move(text.text);
                    return true;
                },
                progress);
            if (!stopped) {
                p.smsTexts = std::move(texts);
            }
            return stopped;
        }
        case Group::DigitalInputs:
            if (const auto reply =
                    single(protocol::requestDigitalTriggers(), ReplyKind::DigitalTriggers)) {
                const protocol::DigitalTriggers triggers = protocol::decodeDigitalTriggers(*reply);
                std::array<DigitalInput, DigitalInputCount> inputs;
                for (std::size_t i = 0; i < inputs.size(); ++i) {
                    inputs[i] = {triggers.enabled[i], triggers.delays[i]};
                }
                p.digitalInputs = inputs;
                p.digitalInputsAllEnabled = triggers.allEnabled;
                return std::nullopt;
            }
            break;
        case Group::AnalogAlarm:
            if (const auto reply = single(protocol::requestAnalogAlarm(), ReplyKind::AnalogAlarm)) {
                const protocol::AnalogAlarmReply alarm = protocol::decodeAnalogAlarm(*reply);
                p.analogAlarm =
                    AnalogAlarm{alarm.maximum,  alarm.minimum, alarm.repeatMinutes,
                                alarm.smsCount, alarm.alarmOn, alarm.useCustomSms.value_or(false)};
                return std::nullopt;
            }
            break;
        case Group::Calibration:
            if (const auto reply = single(protocol::requestCalibration(), ReplyKind::Calibration)) {
                const protocol::Calibration calibration = protocol::decodeCalibration(*reply);
                std::array<CalibrationChannel, CalibrationChannelCount> channels;
                for (std::size_t i = 0; i < channels.size(); ++i) {
                    const protocol::ChannelCalibration& c = calibration.channels[i];
                    channels[i] = {c.k, c.n, c.offset, c.voltageOut};
                }
                p.calibration = channels;
                return std::nullopt;
            }
            break;
        case Group::RelayPulseTime:
            if (const auto reply = single(protocol::requestPulseTime(), ReplyKind::PulseTime)) {
                p.relayPulseTime = protocol::decodePulseTime(*reply);
                return std::nullopt;
            }
            break;
        case Group::CallFunction:
            if (const auto reply = single(protocol::requestStatus(), ReplyKind::Status)) {
                p.callFunction = protocol::decodeStatus(*reply).callFunctionOn;
                return std::nullopt;
            }
            break;
        case Group::Phonebook: {
            std::array<PhonebookRecord, protocol::PhonebookRecordCount> records;
            auto stopped = readRecords<std::uint16_t>(
                exchange, name, records.size(), ReplyKind::PhonebookRecord,
                protocol::requestPhonebookRecord,
                [&](const Reply& reply, std::uint16_t index) {
                    protocol::PhonebookReply record = protocol::decodePhonebookRecord(reply);
                    if (record.row != index) {
                        return false;
                    }
                    records[index] = {std::move(record.number), std::move(record.note),
                                      record.active};
                    return true;
                },
                progress);
            if (!stopped) {
                p.phonebook = std::move(records);
            }
            return stopped;
        }
    }
    return stopAt(exchange, false, name);
}

// checkProfile() has passed every text that gets here.
protocol::WireText wire(const std::u16string& text) {
    return protocol::WireText::fromUtf16(text).text.value_or(protocol::WireText{});
}

// Writes the records of `write.group` with the windows' acknowledged write.
// The first record whose acknowledgement does not come ends it: a unit that
// has stopped answering is not sent the rest.
template <typename Report>
std::optional<Stop> writeAcknowledged(UnitExchange& exchange, GroupWrite& write, ReplyKind ack,
                                      Report report, const ProgressHandler& progress) {
    const QString name = groupName(write.group);
    bool waitForOk = false;
    bool stopped = false;
    protocol::AcknowledgedWrite sequence;
    sequence.skip = [&](std::size_t) { return stopped; };
    sequence.send = [&](std::size_t i) { stopped = !exchange.send(report(i)); };
    sequence.progress = [&](std::size_t i) {
        if (!stopped) {
            notify(progress, true, name, i + 1, write.count);
        }
    };
    sequence.wait = [&](const bool&) {
        if (stopped) {
            return false;
        }
        if (!exchange.waitFor(ack, AcknowledgeTimeout)) {
            stopped = true;
            write.unacknowledged = true;
            return false;
        }
        // What a window's acknowledgement handler does.
        waitForOk = false;
        return true;
    };
    write.written = sequence.run(write.count, waitForOk);
    if (!stopped) {
        return std::nullopt;
    }
    return stopAt(exchange, true, recordPath(write.group, write.written));
}

std::optional<Stop> writeGroup(UnitExchange& exchange, const UnitProfile& p, GroupWrite& write,
                               const ProgressHandler& progress) {
    const auto narrow8 = [](std::size_t i) { return static_cast<std::uint8_t>(i); };
    std::optional<CommandReport> request;
    switch (write.group) {
        case Group::Firmware:
            // Informative: never written.
            return std::nullopt;
        case Group::GsmNumbers:
            return writeAcknowledged(
                exchange, write, ReplyKind::GsmNumberAck,
                [&](std::size_t i) {
                    return protocol::writeGsmNumber(narrow8(i), wire((*p.gsmNumbers)[i]));
                },
                progress);
        case Group::SmsTexts:
            return writeAcknowledged(
                exchange, write, ReplyKind::SmsTextAck,
                [&](std::size_t i) {
                    return protocol::writeSmsText(narrow8(i), wire((*p.smsTexts)[i]));
                },
                progress);
        case Group::Phonebook:
            return writeAcknowledged(
                exchange, write, ReplyKind::PhonebookAck,
                [&](std::size_t i) {
                    const PhonebookRecord& record = (*p.phonebook)[i];
                    return protocol::writePhonebookRecord(static_cast<std::uint16_t>(i),
                                                          wire(record.number), wire(record.note),
                                                          record.active);
                },
                progress);
        case Group::DigitalInputs: {
            protocol::DigitalTriggers triggers;
            if (!p.digitalInputs || !p.digitalInputsAllEnabled) {
                const auto reply =
                    ask(exchange, protocol::requestDigitalTriggers(), ReplyKind::DigitalTriggers);
                if (!reply) {
                    return stopAt(exchange, false, groupName(write.group));
                }
                triggers = protocol::decodeDigitalTriggers(*reply);
            }
            if (p.digitalInputs) {
                putDigitalInputs(*p.digitalInputs, triggers);
            }
            if (p.digitalInputsAllEnabled) {
                triggers.allEnabled = *p.digitalInputsAllEnabled;
            }
            request = protocol::writeDigitalTriggers(triggers);
            break;
        }
        case Group::AnalogAlarm: {
            const AnalogAlarm& alarm = *p.analogAlarm;
            request = protocol::writeAnalogAlarm({alarm.max, alarm.min, alarm.repeatMinutes,
                                                  alarm.smsCount, alarm.on, alarm.userTexts});
            break;
        }
        case Group::Calibration:
            request = protocol::writeCalibration(calibrationOf(*p.calibration));
            break;
        case Group::RelayPulseTime:
            request = protocol::writePulseTime(*p.relayPulseTime);
            break;
        case Group::CallFunction:
            request = protocol::switchCallFunction(*p.callFunction);
            break;
    }
    if (!exchange.send(*request)) {
        return stopAt(exchange, true, groupName(write.group));
    }
    write.written = 1;
    notify(progress, true, groupName(write.group), 1, 1);
    return std::nullopt;
}

QString span(Group group, std::size_t first, std::size_t last) {
    return first == last
               ? recordPath(group, first)
               : QStringLiteral("%1 to %2").arg(recordPath(group, first), recordPath(group, last));
}

QString writeState(const GroupWrite& w) {
    if (w.matches) {
        return *w.matches ? QStringLiteral("written and confirmed by reading back")
                          : QStringLiteral("written, but reading back shows other values");
    }
    if (w.written == w.count) {
        // Only the groups of several records are acknowledged one by one.
        return w.count > 1
                   ? QStringLiteral("written and acknowledged, not confirmed by reading back")
                   : QStringLiteral("sent, not confirmed by reading back");
    }
    if (w.written == 0 && !w.unacknowledged) {
        return QStringLiteral("not written");
    }
    QStringList parts;
    if (w.written > 0) {
        parts << span(w.group, 0, w.written - 1) + QStringLiteral(" written");
    }
    if (w.unacknowledged) {
        parts << recordPath(w.group, w.written) + QStringLiteral(" sent but not acknowledged");
    }
    const std::size_t rest = w.written + (w.unacknowledged ? 1 : 0);
    if (rest < w.count) {
        parts << span(w.group, rest, w.count - 1) + QStringLiteral(" not written");
    }
    return parts.join(QStringLiteral("; "));
}

}  // namespace

QString Stop::text() const {
    return QStringLiteral("the unit %1 while %2 %3")
        .arg(left ? QStringLiteral("left") : QStringLiteral("stopped answering"),
             writing ? QStringLiteral("writing") : QStringLiteral("reading"), where);
}

std::optional<Reply> ask(UnitExchange& exchange, const CommandReport& request, ReplyKind kind) {
    if (!exchange.send(request)) {
        return std::nullopt;
    }
    return exchange.waitFor(kind, ReplyTimeout);
}

UnitRead readUnit(UnitExchange& exchange, std::span<const Group> groups,
                  const ProgressHandler& progress) {
    UnitRead result;
    for (const Group group : groups) {
        result.stopped = readGroup(exchange, group, result.profile, progress);
        if (result.stopped) {
            break;
        }
    }
    return result;
}

MemoryRead readMemory(UnitExchange& exchange, const ProgressHandler& progress) {
    MemoryRead result;
    result.stopped = readRecords<std::uint16_t>(
        exchange, QStringLiteral("memory"), protocol::MemoryPacketCount, ReplyKind::MemoryPacket,
        protocol::requestMemoryPacket,
        [&](const Reply& reply, std::uint16_t index) {
            const protocol::MemoryPacket packet = protocol::decodeMemoryPacket(reply);
            if (packet.index != index) {
                return false;
            }
            std::copy(packet.data.begin(), packet.data.end(),
                      result.image.begin() + std::size_t{index} * protocol::MemoryPacketSize);
            return true;
        },
        progress);
    return result;
}

UnitWrite writeUnit(UnitExchange& exchange, const UnitProfile& profile,
                    const ProgressHandler& progress) {
    UnitWrite result;
    result.faults = checkProfile(profile);
    if (!result.faults.empty()) {
        return result;
    }
    std::vector<Group> groups = groupsOf(profile);
    std::erase(groups, Group::Firmware);
    for (const Group group : groups) {
        GroupWrite& write = result.groups.emplace_back();
        write.group = group;
        write.count = recordCount(group);
    }
    result.outcome = UnitWrite::Outcome::Stopped;
    for (GroupWrite& write : result.groups) {
        if (auto stopped = writeGroup(exchange, profile, write, progress)) {
            result.stopped = std::move(*stopped);
            return result;
        }
    }
    const UnitRead back = readUnit(exchange, groups, progress);
    if (back.stopped) {
        result.stopped = *back.stopped;
        return result;
    }
    for (GroupWrite& write : result.groups) {
        std::vector<Difference> differences = compareGroup(write.group, back.profile, profile);
        write.matches = differences.empty();
        result.differences.insert(result.differences.end(), differences.begin(), differences.end());
    }
    result.readBack = back.profile;
    result.outcome =
        result.differences.empty() ? UnitWrite::Outcome::Matches : UnitWrite::Outcome::Differs;
    return result;
}

QStringList describeWrite(const UnitWrite& write) {
    QStringList lines;
    for (const GroupWrite& w : write.groups) {
        lines << groupName(w.group) + QStringLiteral(": ") + writeState(w);
    }
    return lines;
}

}  // namespace profile
