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
    sequence.send = [&](std::size_t i) { stopped = !exchange.send(report(write.records[i])); };
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
    return stopAt(exchange, true, recordPath(write.group, write.records[write.written]));
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

QString writeState(const GroupWrite& w) {
    if (w.matches) {
        return *w.matches ? QStringLiteral("written and confirmed by reading back")
                          : QStringLiteral("written, but reading back shows other values");
    }
    if (w.written == w.count) {
        // Only the groups of several records are acknowledged one by one.
        return recordCount(w.group) > 1
                   ? QStringLiteral("written and acknowledged, not confirmed by reading back")
                   : QStringLiteral("sent, not confirmed by reading back");
    }
    if (w.written == 0 && !w.unacknowledged) {
        return QStringLiteral("not written");
    }
    QStringList parts;
    for (const WriteRun& run : writeRuns(w)) {
        const QString first = recordPath(w.group, run.first);
        const QString span =
            run.first == run.last
                ? first
                : QStringLiteral("%1 to %2").arg(first, recordPath(w.group, run.last));
        switch (run.state) {
            case WriteRun::State::Written:
                parts << span + QStringLiteral(" written");
                break;
            case WriteRun::State::Unacknowledged:
                parts << span + QStringLiteral(" sent but not acknowledged");
                break;
            case WriteRun::State::NotWritten:
                parts << span + QStringLiteral(" not written");
                break;
        }
    }
    return parts.join(QStringLiteral("; "));
}

// Whether a fault at `path` concerns what is sent: a record of a group of
// several records that the selection leaves out is not.
bool sent(const QString& path, const RecordSelection& records) {
    const PathParts parts = splitPath(path);
    for (const Group group : {Group::GsmNumbers, Group::SmsTexts, Group::Phonebook}) {
        const auto& chosen = records.of(group);
        if (parts.key == groupName(group) && chosen && parts.index &&
            std::find(chosen->begin(), chosen->end(), *parts.index) == chosen->end()) {
            return false;
        }
    }
    return true;
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

const std::optional<std::vector<std::size_t>>& RecordSelection::of(Group group) const {
    static const std::optional<std::vector<std::size_t>> none;
    switch (group) {
        case Group::GsmNumbers:
            return gsmNumbers;
        case Group::SmsTexts:
            return smsTexts;
        case Group::Phonebook:
            return phonebook;
        default:
            return none;
    }
}

std::vector<WriteRun> writeRuns(const GroupWrite& write) {
    std::vector<WriteRun> runs;
    const auto add = [&](WriteRun::State state, std::size_t record) {
        if (!runs.empty() && runs.back().state == state && runs.back().last + 1 == record) {
            runs.back().last = record;
        } else {
            runs.push_back({state, record, record});
        }
    };
    for (std::size_t i = 0; i < write.records.size(); ++i) {
        add(i < write.written                            ? WriteRun::State::Written
            : i == write.written && write.unacknowledged ? WriteRun::State::Unacknowledged
                                                         : WriteRun::State::NotWritten,
            write.records[i]);
    }
    return runs;
}

UnitWrite writeUnit(UnitExchange& exchange, const UnitProfile& profile,
                    const ProgressHandler& progress, const RecordSelection& records) {
    UnitWrite result;
    result.faults = checkProfile(profile);
    std::erase_if(result.faults,
                  [&](const ProfileFault& fault) { return !sent(fault.path, records); });
    if (!result.faults.empty()) {
        return result;
    }
    std::vector<Group> groups = groupsOf(profile);
    std::erase(groups, Group::Firmware);
    for (const Group group : groups) {
        GroupWrite& write = result.groups.emplace_back();
        write.group = group;
        if (const auto& chosen = records.of(group)) {
            write.records = *chosen;
        } else {
            for (std::size_t record = 0; record < recordCount(group); ++record) {
                write.records.push_back(record);
            }
        }
        write.count = write.records.size();
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

ChosenWrite chosenWrite(const UnitProfile& unit, const UnitProfile& file,
                        const std::vector<Difference>& chosen) {
    ChosenWrite result;
    UnitProfile& p = result.profile;
    const auto choose = [](std::optional<std::vector<std::size_t>>& records, std::size_t record) {
        if (!records) {
            records.emplace();
        }
        if (std::find(records->begin(), records->end(), record) == records->end()) {
            records->push_back(record);
        }
    };
    // The group as the unit holds it, for the file's values to go into.
    const auto start = [](auto& target, const auto& from) {
        if (!target) {
            target = from;
        }
        return target.has_value();
    };
    for (const Difference& d : chosen) {
        const PathParts parts = splitPath(d.path);
        const std::optional<Group> group = groupOfPath(d.path);
        const std::size_t i = parts.index.value_or(0);
        if (!group || (recordCount(*group) > 1 && i >= recordCount(*group))) {
            continue;
        }
        const QString& field = parts.field;
        switch (*group) {
            case Group::Firmware:
                break;
            case Group::GsmNumbers:
                if (file.gsmNumbers && start(p.gsmNumbers, unit.gsmNumbers)) {
                    (*p.gsmNumbers)[i] = (*file.gsmNumbers)[i];
                    choose(result.records.gsmNumbers, i);
                }
                break;
            case Group::SmsTexts:
                if (file.smsTexts && start(p.smsTexts, unit.smsTexts)) {
                    (*p.smsTexts)[i] = (*file.smsTexts)[i];
                    choose(result.records.smsTexts, i);
                }
                break;
            case Group::Phonebook:
                if (file.phonebook && start(p.phonebook, unit.phonebook)) {
                    PhonebookRecord& record = (*p.phonebook)[i];
                    const PhonebookRecord& from = (*file.phonebook)[i];
                    record.number = field == u"number" ? from.number : record.number;
                    record.note = field == u"note" ? from.note : record.note;
                    record.active = field == u"active" ? from.active : record.active;
                    choose(result.records.phonebook, i);
                }
                break;
            case Group::DigitalInputs:
                if (start(p.digitalInputs, unit.digitalInputs) &&
                    start(p.digitalInputsAllEnabled, unit.digitalInputsAllEnabled)) {
                    if (parts.key == u"digitalInputsAllEnabled") {
                        p.digitalInputsAllEnabled =
                            file.digitalInputsAllEnabled.value_or(*p.digitalInputsAllEnabled);
                    } else if (file.digitalInputs && i < DigitalInputCount) {
                        DigitalInput& input = (*p.digitalInputs)[i];
                        const DigitalInput& from = (*file.digitalInputs)[i];
                        input.trigger = field == u"trigger" ? from.trigger : input.trigger;
                        input.detectionDelay =
                            field == u"detectionDelay" ? from.detectionDelay : input.detectionDelay;
                    }
                }
                break;
            case Group::AnalogAlarm:
                if (file.analogAlarm && start(p.analogAlarm, unit.analogAlarm)) {
                    AnalogAlarm& alarm = *p.analogAlarm;
                    const AnalogAlarm& from = *file.analogAlarm;
                    alarm.max = field == u"max" ? from.max : alarm.max;
                    alarm.min = field == u"min" ? from.min : alarm.min;
                    alarm.repeatMinutes =
                        field == u"repeatMinutes" ? from.repeatMinutes : alarm.repeatMinutes;
                    alarm.smsCount = field == u"smsCount" ? from.smsCount : alarm.smsCount;
                    alarm.on = field == u"on" ? from.on : alarm.on;
                    alarm.userTexts = field == u"userTexts" ? from.userTexts : alarm.userTexts;
                }
                break;
            case Group::Calibration:
                if (file.calibration && i < CalibrationChannelCount &&
                    start(p.calibration, unit.calibration)) {
                    CalibrationChannel& channel = (*p.calibration)[i];
                    const CalibrationChannel& from = (*file.calibration)[i];
                    channel.k = field == u"k" ? from.k : channel.k;
                    channel.n = field == u"n" ? from.n : channel.n;
                    channel.rawOffset = field == u"rawOffset" ? from.rawOffset : channel.rawOffset;
                    channel.voltageOut =
                        field == u"voltageOut" ? from.voltageOut : channel.voltageOut;
                }
                break;
            case Group::RelayPulseTime:
                p.relayPulseTime = file.relayPulseTime;
                break;
            case Group::CallFunction:
                p.callFunction = file.callFunction;
                break;
        }
    }
    for (auto* records :
         {&result.records.gsmNumbers, &result.records.smsTexts, &result.records.phonebook}) {
        if (*records) {
            std::sort((*records)->begin(), (*records)->end());
        }
    }
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
