#include "profile/ProfileGroups.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <string>

#include "protocol/NumberText.h"

namespace profile {

namespace {

// A text as the file writes it: in quotes, with JSON's escapes.
QString quoted(const std::u16string& text) {
    const QString value = QStringView(text.data(), static_cast<qsizetype>(text.size())).toString();
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString fixedPoint(std::int32_t value) {
    return QString::fromStdU16String(protocol::formatFixedPoint(value, u"."));
}

QString flag(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString element(const QString& path, std::size_t index) {
    return QStringLiteral("%1[%2]").arg(path).arg(index);
}

QString member(const QString& path, const char* key) {
    return path + u'.' + QLatin1StringView(key);
}

class Comparison {
public:
    std::vector<Difference> differences;

    void text(const QString& path, const std::u16string& unit, const std::u16string& file) {
        add(path, unit != file, quoted(unit), quoted(file), Difference::Kind::Text);
    }
    void number(const QString& path, std::int64_t unit, std::int64_t file) {
        add(path, unit != file, QString::number(unit), QString::number(file),
            Difference::Kind::Number);
    }
    void fixed(const QString& path, std::int32_t unit, std::int32_t file) {
        add(path, unit != file, fixedPoint(unit), fixedPoint(file), Difference::Kind::Fixed);
    }
    void boolean(const QString& path, bool unit, bool file) {
        add(path, unit != file, flag(unit), flag(file), Difference::Kind::Flag);
    }

    template <std::size_t N>
    void texts(const QString& path, const std::array<std::u16string, N>& unit,
               const std::array<std::u16string, N>& file) {
        for (std::size_t i = 0; i < N; ++i) {
            text(element(path, i), unit[i], file[i]);
        }
    }

private:
    void add(const QString& path, bool differs, const QString& unit, const QString& file,
             Difference::Kind kind) {
        if (differs) {
            differences.push_back({path, unit, file, kind});
        }
    }
};

// Runs `compare` on both values when both profiles hold the group.
template <typename T, typename Compare>
void both(const std::optional<T>& unit, const std::optional<T>& file, Compare compare) {
    if (unit && file) {
        compare(*unit, *file);
    }
}

}  // namespace

QString groupName(Group group) {
    switch (group) {
        case Group::Firmware:
            return QStringLiteral("firmware");
        case Group::GsmNumbers:
            return QStringLiteral("gsmNumbers");
        case Group::SmsTexts:
            return QStringLiteral("smsTexts");
        case Group::DigitalInputs:
            return QStringLiteral("digitalInputs");
        case Group::AnalogAlarm:
            return QStringLiteral("analogAlarm");
        case Group::Calibration:
            return QStringLiteral("calibration");
        case Group::RelayPulseTime:
            return QStringLiteral("relayPulseTime");
        case Group::CallFunction:
            return QStringLiteral("callFunction");
        case Group::Phonebook:
            return QStringLiteral("phonebook");
    }
    return {};
}

std::size_t recordCount(Group group) {
    switch (group) {
        case Group::GsmNumbers:
            return protocol::GsmNumberCount;
        case Group::SmsTexts:
            return protocol::SmsSlotCount;
        case Group::Phonebook:
            return protocol::PhonebookRecordCount;
        default:
            return 1;
    }
}

QString recordPath(Group group, std::size_t record) {
    return recordCount(group) > 1 ? element(groupName(group), record) : groupName(group);
}

// Split by hand, not with a QRegularExpression: differences are made on
// brevalon-cli's unit threads (see cli/UnitWorker.h).
PathParts splitPath(const QString& path) {
    const QStringView view(path);
    qsizetype k = 0;
    while (k < view.size() &&
           ((view[k] >= u'A' && view[k] <= u'Z') || (view[k] >= u'a' && view[k] <= u'z'))) {
        ++k;
    }
    PathParts parts{view.first(k).toString(), std::nullopt, {}};
    if (k > 0 && k < view.size() && view[k] == u'[') {
        const qsizetype close = view.indexOf(u']', k);
        const QStringView number = close > k ? view.sliced(k + 1, close - k - 1) : QStringView();
        const bool digits = number.size() >= 1 && number.size() <= 3 &&
                            std::all_of(number.begin(), number.end(),
                                        [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!digits) {
            return {path, std::nullopt, {}};
        }
        parts.index = number.toUInt();
        k = close + 1;
    }
    if (k > 0 && k + 1 < view.size() && view[k] == u'.') {
        parts.field = view.sliced(k + 1).toString();
        k = view.size();
    }
    if (k == 0 || k != view.size()) {
        return {path, std::nullopt, {}};
    }
    return parts;
}

std::optional<Group> groupOfPath(const QString& path) {
    const QString key = splitPath(path).key;
    if (key == u"digitalInputsAllEnabled") {
        return Group::DigitalInputs;
    }
    for (const Group group : AllGroups) {
        if (key == groupName(group)) {
            return group;
        }
    }
    return std::nullopt;
}

std::vector<Group> groupsOf(const UnitProfile& p) {
    const std::array<bool, AllGroups.size()> present{
        p.firmware.has_value(),
        p.gsmNumbers.has_value(),
        p.smsTexts.has_value(),
        p.digitalInputs.has_value() || p.digitalInputsAllEnabled.has_value(),
        p.analogAlarm.has_value(),
        p.calibration.has_value(),
        p.relayPulseTime.has_value(),
        p.callFunction.has_value(),
        p.phonebook.has_value(),
    };
    std::vector<Group> groups;
    for (std::size_t i = 0; i < AllGroups.size(); ++i) {
        if (present[i]) {
            groups.push_back(AllGroups[i]);
        }
    }
    return groups;
}

QString Difference::text() const {
    return QStringLiteral("%1: unit %2, file %3").arg(path, unitValue, fileValue);
}

std::vector<Difference> compareGroup(Group group, const UnitProfile& unit,
                                     const UnitProfile& file) {
    Comparison c;
    const QString name = groupName(group);
    switch (group) {
        case Group::Firmware:
            break;
        case Group::GsmNumbers:
            both(unit.gsmNumbers, file.gsmNumbers,
                 [&](const auto& u, const auto& f) { c.texts(name, u, f); });
            break;
        case Group::SmsTexts:
            both(unit.smsTexts, file.smsTexts,
                 [&](const auto& u, const auto& f) { c.texts(name, u, f); });
            break;
        case Group::DigitalInputs:
            both(unit.digitalInputs, file.digitalInputs, [&](const auto& u, const auto& f) {
                for (std::size_t i = 0; i < DigitalInputCount; ++i) {
                    const QString path = element(name, i);
                    c.boolean(member(path, "trigger"), u[i].trigger, f[i].trigger);
                    c.number(member(path, "detectionDelay"), u[i].detectionDelay,
                             f[i].detectionDelay);
                }
            });
            both(unit.digitalInputsAllEnabled, file.digitalInputsAllEnabled, [&](bool u, bool f) {
                c.boolean(QStringLiteral("digitalInputsAllEnabled"), u, f);
            });
            break;
        case Group::AnalogAlarm:
            both(unit.analogAlarm, file.analogAlarm,
                 [&](const AnalogAlarm& u, const AnalogAlarm& f) {
                     c.fixed(member(name, "max"), u.max, f.max);
                     c.fixed(member(name, "min"), u.min, f.min);
                     c.number(member(name, "repeatMinutes"), u.repeatMinutes, f.repeatMinutes);
                     c.number(member(name, "smsCount"), u.smsCount, f.smsCount);
                     c.boolean(member(name, "on"), u.on, f.on);
                     c.boolean(member(name, "userTexts"), u.userTexts, f.userTexts);
                 });
            break;
        case Group::Calibration:
            both(unit.calibration, file.calibration, [&](const auto& u, const auto& f) {
                for (std::size_t i = 0; i < CalibrationChannelCount; ++i) {
                    const QString path = element(name, i);
                    c.fixed(member(path, "k"), u[i].k, f[i].k);
                    c.fixed(member(path, "n"), u[i].n, f[i].n);
                    c.number(member(path, "rawOffset"), u[i].rawOffset, f[i].rawOffset);
                    c.boolean(member(path, "voltageOut"), u[i].voltageOut, f[i].voltageOut);
                }
            });
            break;
        case Group::RelayPulseTime:
            both(unit.relayPulseTime, file.relayPulseTime,
                 [&](std::uint8_t u, std::uint8_t f) { c.number(name, u, f); });
            break;
        case Group::CallFunction:
            both(unit.callFunction, file.callFunction,
                 [&](bool u, bool f) { c.boolean(name, u, f); });
            break;
        case Group::Phonebook:
            both(unit.phonebook, file.phonebook, [&](const auto& u, const auto& f) {
                for (std::size_t i = 0; i < protocol::PhonebookRecordCount; ++i) {
                    const QString path = element(name, i);
                    c.text(member(path, "number"), u[i].number, f[i].number);
                    c.text(member(path, "note"), u[i].note, f[i].note);
                    c.boolean(member(path, "active"), u[i].active, f[i].active);
                }
            });
            break;
    }
    return c.differences;
}

std::vector<Difference> compareProfiles(const UnitProfile& unit, const UnitProfile& file) {
    std::vector<Difference> differences;
    for (const Group group : AllGroups) {
        for (Difference& d : compareGroup(group, unit, file)) {
            differences.push_back(std::move(d));
        }
    }
    return differences;
}

}  // namespace profile
