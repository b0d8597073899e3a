#include "profile/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSaveFile>
#include <QStringView>

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/NumberText.h"
#include "protocol/WireText.h"

namespace profile {

namespace {

using Faults = std::vector<ProfileFault>;
using Keys = std::initializer_list<const char*>;

QString qstring(std::u16string_view text) {
    return QStringView(text.data(), static_cast<qsizetype>(text.size())).toString();
}

std::u16string u16string(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

QString fixedPointText(std::int32_t value) {
    return qstring(protocol::formatFixedPoint(value, u"."));
}

// --- Writing ---

// Characters up to U+00FF, all a unit holds, are written as UTF-8 so that the
// file reads as it should; any other code unit, a lone surrogate too, as an
// escape, so that every text reads back exactly as it was.
QByteArray jsonString(std::u16string_view text) {
    static constexpr char hexDigits[] = "0123456789abcdef";
    QByteArray out = "\"";
    for (const char16_t c : text) {
        switch (c) {
            case u'"':
                out += "\\\"";
                break;
            case u'\\':
                out += "\\\\";
                break;
            case u'\b':
                out += "\\b";
                break;
            case u'\f':
                out += "\\f";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\r':
                out += "\\r";
                break;
            case u'\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c > 0xFF) {
                    out += "\\u";
                    for (int shift = 12; shift >= 0; shift -= 4) {
                        out += hexDigits[(c >> shift) & 0xF];
                    }
                } else if (c < 0x80) {
                    out += static_cast<char>(c);
                } else {
                    out += static_cast<char>(0xC0 | (c >> 6));
                    out += static_cast<char>(0x80 | (c & 0x3F));
                }
        }
    }
    return out + '"';
}

QByteArray jsonBool(bool value) {
    return value ? "true" : "false";
}

QByteArray jsonNumber(std::int64_t value) {
    return QByteArray::number(static_cast<qlonglong>(value));
}

QByteArray jsonFixedPoint(std::int32_t value) {
    return jsonString(protocol::formatFixedPoint(value, u"."));
}

// {"a": 1, "b": 2} on one line.
QByteArray inlineObject(std::initializer_list<std::pair<const char*, QByteArray>> members) {
    QByteArray out = "{";
    for (const auto& [key, value] : members) {
        if (out.size() > 1) {
            out += ", ";
        }
        out += '"';
        out += key;
        out += "\": ";
        out += value;
    }
    return out + '}';
}

template <typename Range, typename Write>
QByteArray inlineArray(const Range& items, Write write) {
    QByteArray out = "[";
    for (const auto& item : items) {
        if (out.size() > 1) {
            out += ", ";
        }
        out += write(item);
    }
    return out + ']';
}

// --- Reading ---

QString member(const QString& path, const char* key) {
    return path.isEmpty() ? QString::fromLatin1(key) : path + u'.' + QLatin1StringView(key);
}

QString element(const QString& path, qsizetype index) {
    return QStringLiteral("%1[%2]").arg(path).arg(index);
}

// A text as quoted in a message, cut short so that a huge value cannot make
// a huge message.
QString shown(const QString& text) {
    constexpr qsizetype limit = 40;
    return text.size() <= limit ? text : text.left(limit) + QChar(0x2026);
}

QString kindOf(const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::Null:
            return QStringLiteral("null");
        case QJsonValue::Bool:
            return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        case QJsonValue::Double:
            return QStringLiteral("a number");
        case QJsonValue::String:
            return QStringLiteral("a string");
        case QJsonValue::Array:
            return QStringLiteral("an array");
        case QJsonValue::Object:
            return QStringLiteral("an object");
        case QJsonValue::Undefined:
            break;
    }
    return QStringLiteral("nothing");
}

QString numberText(double value) {
    if (std::trunc(value) == value && std::fabs(value) < 9007199254740992.0) {
        return QString::number(static_cast<qint64>(value));
    }
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString outsideMessage(const QString& value, const QString& min, const QString& max) {
    return QStringLiteral("%1 is outside %2 to %3").arg(value, min, max);
}

QString outsideMessage(std::int64_t value, protocol::IntegerLimits limits) {
    return outsideMessage(QString::number(value), QString::number(limits.min),
                          QString::number(limits.max));
}

std::size_t characterCount(std::u16string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = QChar::isHighSurrogate(text[i]) && i + 1 < text.size() &&
                          QChar::isLowSurrogate(text[i + 1]);
        i += pair ? 1 : 0;
        ++count;
    }
    return count;
}

// The one rule for every text that is written to the unit.
void checkText(std::u16string_view text, std::size_t maxLength, const QString& path,
               Faults& faults) {
    const protocol::WireTextResult wire = protocol::WireText::fromUtf16(text);
    if (!wire.text) {
        const char32_t code = wire.unsupported;
        const QString character =
            QChar::isPrint(code)
                ? QStringLiteral("\"%1\"").arg(QString::fromUcs4(&code, 1))
                : QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QChar(u'0')).toUpper();
        faults.push_back({path, character + QStringLiteral(" cannot be sent to the unit")});
    }
    const std::size_t length = wire.text ? wire.text->size() : characterCount(text);
    if (length > maxLength) {
        faults.push_back({path, QStringLiteral("%1 characters, more than the %2 the unit takes")
                                    .arg(length)
                                    .arg(maxLength)});
    }
}

void checkPulseTime(std::uint8_t ticks, Faults& faults) {
    if (!protocol::PulseTimeLimits.contains(ticks)) {
        faults.push_back(
            {QStringLiteral("relayPulseTime"), outsideMessage(ticks, protocol::PulseTimeLimits)});
    }
}

// Reads a JSON document into a profile, collecting every fault on the way.
// Each read gives nothing after a fault; the caller then only fills in a
// default, since a profile with a fault is never handed out.
class Reader {
public:
    Faults faults;

    void fault(const QString& path, const QString& message) { faults.push_back({path, message}); }

    // False with a fault unless `value` is present and passes `isKind`.
    template <typename IsKind>
    bool expect(const QJsonValue& value, const QString& path, IsKind isKind, const char* wanted) {
        if (value.isUndefined()) {
            fault(path, QStringLiteral("missing"));
            return false;
        }
        if (!isKind(value)) {
            fault(
                path,
                QStringLiteral("must be %1, not %2").arg(QLatin1StringView(wanted), kindOf(value)));
            return false;
        }
        return true;
    }

    std::optional<QJsonObject> object(const QJsonValue& value, const QString& path) {
        if (!expect(value, path, std::mem_fn(&QJsonValue::isObject), "an object")) {
            return std::nullopt;
        }
        return value.toObject();
    }

    void refuseUnknownKeys(const QJsonObject& object, const QString& path, Keys known) {
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            const QString key = it.key();
            if (std::none_of(known.begin(), known.end(),
                             [&](const char* k) { return key == QLatin1StringView(k); })) {
                const QString name = shown(key);
                fault(path.isEmpty() ? name : path + u'.' + name, QStringLiteral("unknown key"));
            }
        }
    }

    std::optional<QJsonArray> array(const QJsonValue& value, const QString& path,
                                    std::size_t length) {
        if (!expect(value, path, std::mem_fn(&QJsonValue::isArray), "an array")) {
            return std::nullopt;
        }
        QJsonArray items = value.toArray();
        if (static_cast<std::size_t>(items.size()) != length) {
            fault(path,
                  QStringLiteral("must hold %1 entries, not %2").arg(length).arg(items.size()));
            return std::nullopt;
        }
        return items;
    }

    bool boolean(const QJsonValue& value, const QString& path) {
        return expect(value, path, std::mem_fn(&QJsonValue::isBool), "true or false") &&
               value.toBool();
    }

    std::optional<std::int64_t> integer(const QJsonValue& value, const QString& path,
                                        protocol::IntegerLimits limits) {
        if (!expect(value, path, std::mem_fn(&QJsonValue::isDouble), "a whole number")) {
            return std::nullopt;
        }
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::trunc(number) != number) {
            fault(path, QStringLiteral("must be a whole number, not %1").arg(numberText(number)));
            return std::nullopt;
        }
        if (number < static_cast<double>(limits.min) || number > static_cast<double>(limits.max)) {
            fault(path, outsideMessage(numberText(number), QString::number(limits.min),
                                       QString::number(limits.max)));
            return std::nullopt;
        }
        return static_cast<std::int64_t>(number);
    }

    template <typename T>
    T integerAs(const QJsonValue& value, const QString& path, protocol::IntegerLimits limits) {
        return static_cast<T>(integer(value, path, limits).value_or(0));
    }

    // A decimal written as a string, read as the windows read typed text.
    std::int32_t fixedPoint(const QJsonValue& value, const QString& path) {
        if (!expect(value, path, std::mem_fn(&QJsonValue::isString), "a string such as \"12.5\"")) {
            return 0;
        }
        const QString text = value.toString();
        const auto parsed = protocol::parseFixedPoint(u16string(text), u".");
        if (parsed.error == protocol::NumberError::Invalid) {
            fault(path, QStringLiteral("\"%1\" is not a decimal number").arg(shown(text)));
        } else if (parsed.error == protocol::NumberError::OutOfRange) {
            fault(path, outsideMessage(shown(text), fixedPointText(INT32_MIN),
                                       fixedPointText(INT32_MAX)));
        }
        return parsed.value;
    }

    std::u16string string(const QJsonValue& value, const QString& path) {
        if (!expect(value, path, std::mem_fn(&QJsonValue::isString), "a string")) {
            return {};
        }
        return u16string(value.toString());
    }

    // A text that is written to the unit.
    std::u16string text(const QJsonValue& value, const QString& path, std::size_t maxLength) {
        std::u16string result = string(value, path);
        checkText(result, maxLength, path, faults);
        return result;
    }

    template <std::size_t N>
    std::optional<std::array<std::u16string, N>> texts(const QJsonValue& value, const QString& path,
                                                       std::size_t maxLength) {
        const std::optional<QJsonArray> items = array(value, path, N);
        if (!items) {
            return std::nullopt;
        }
        std::array<std::u16string, N> result;
        for (std::size_t i = 0; i < N; ++i) {
            const auto index = static_cast<qsizetype>(i);
            result[i] = text(items->at(index), element(path, index), maxLength);
        }
        return result;
    }

    // An array of N objects, each read by `read`.
    template <typename T, std::size_t N, typename Read>
    std::optional<std::array<T, N>> records(const QJsonValue& value, const QString& path, Keys keys,
                                            Read read) {
        const std::optional<QJsonArray> items = array(value, path, N);
        if (!items) {
            return std::nullopt;
        }
        std::array<T, N> result{};
        for (std::size_t i = 0; i < N; ++i) {
            const QString itemPath = element(path, static_cast<qsizetype>(i));
            if (const auto item = object(items->at(static_cast<qsizetype>(i)), itemPath)) {
                result[i] = read(*item, itemPath);
                refuseUnknownKeys(*item, itemPath, keys);
            }
        }
        return result;
    }

    // False after a fault in `format` or `version`: the rest of a document in
    // another format or version means something else, and checking it would
    // bury the one fault that matters.
    bool readHeader(const QJsonObject& root) {
        const QString format = QString::fromLatin1(ProfileFormat);
        const QJsonValue formatValue = root.value(QLatin1StringView("format"));
        if (formatValue.isUndefined()) {
            fault(QStringLiteral("format"), QStringLiteral("missing"));
        } else if (formatValue.toString() != format) {
            fault(QStringLiteral("format"),
                  QStringLiteral("must be \"%1\", not %2")
                      .arg(format, formatValue.isString()
                                       ? QStringLiteral("\"%1\"").arg(shown(formatValue.toString()))
                                       : kindOf(formatValue)));
        }

        const QString versionPath = QStringLiteral("version");
        const QJsonValue versionValue = root.value(versionPath);
        if (expect(versionValue, versionPath, std::mem_fn(&QJsonValue::isDouble),
                   "a whole number")) {
            const double version = versionValue.toDouble();
            if (std::trunc(version) != version) {
                fault(versionPath,
                      QStringLiteral("must be a whole number, not %1").arg(numberText(version)));
            } else if (version > ProfileVersion) {
                fault(versionPath,
                      QStringLiteral("%1 is newer than version %2, the one this program reads")
                          .arg(numberText(version))
                          .arg(ProfileVersion));
            } else if (version < ProfileVersion) {
                fault(versionPath,
                      QStringLiteral("%1 is not a version; this program reads version %2")
                          .arg(numberText(version))
                          .arg(ProfileVersion));
            }
        }
        return faults.empty();
    }

    UnitProfile readGroups(const QJsonObject& root) {
        UnitProfile p;
        const auto group = [&](const char* key) { return root.value(QLatin1StringView(key)); };
        const auto present = [&](const char* key) { return root.contains(QLatin1StringView(key)); };

        if (present("firmware")) {
            p.firmware = string(group("firmware"), QStringLiteral("firmware"));
        }
        if (present("gsmNumbers")) {
            p.gsmNumbers = texts<protocol::GsmNumberCount>(
                group("gsmNumbers"), QStringLiteral("gsmNumbers"), protocol::GsmNumberMaxLength);
        }
        if (present("smsTexts")) {
            p.smsTexts = texts<protocol::SmsSlotCount>(
                group("smsTexts"), QStringLiteral("smsTexts"), protocol::SmsTextMaxLength);
        }
        if (present("digitalInputs")) {
            p.digitalInputs = records<DigitalInput, DigitalInputCount>(
                group("digitalInputs"), QStringLiteral("digitalInputs"),
                {"trigger", "detectionDelay"}, [this](const QJsonObject& o, const QString& path) {
                    return DigitalInput{
                        boolean(o.value(QLatin1StringView("trigger")), member(path, "trigger")),
                        integerAs<std::uint8_t>(o.value(QLatin1StringView("detectionDelay")),
                                                member(path, "detectionDelay"),
                                                protocol::DetectionDelayLimits)};
                });
        }
        if (present("digitalInputsAllEnabled")) {
            p.digitalInputsAllEnabled = boolean(group("digitalInputsAllEnabled"),
                                                QStringLiteral("digitalInputsAllEnabled"));
        }
        if (present("analogAlarm")) {
            p.analogAlarm = readAnalogAlarm(group("analogAlarm"));
        }
        if (present("calibration")) {
            p.calibration = records<CalibrationChannel, CalibrationChannelCount>(
                group("calibration"), QStringLiteral("calibration"),
                {"k", "n", "rawOffset", "voltageOut"},
                [this](const QJsonObject& o, const QString& path) {
                    return CalibrationChannel{
                        fixedPoint(o.value(QLatin1StringView("k")), member(path, "k")),
                        fixedPoint(o.value(QLatin1StringView("n")), member(path, "n")),
                        integerAs<std::int16_t>(o.value(QLatin1StringView("rawOffset")),
                                                member(path, "rawOffset"),
                                                protocol::RawOffsetLimits),
                        boolean(o.value(QLatin1StringView("voltageOut")),
                                member(path, "voltageOut"))};
                });
        }
        if (present("relayPulseTime")) {
            p.relayPulseTime =
                integerAs<std::uint8_t>(group("relayPulseTime"), QStringLiteral("relayPulseTime"),
                                        protocol::PulseTimeLimits);
        }
        if (present("callFunction")) {
            p.callFunction = boolean(group("callFunction"), QStringLiteral("callFunction"));
        }
        if (present("phonebook")) {
            p.phonebook = records<PhonebookRecord, protocol::PhonebookRecordCount>(
                group("phonebook"), QStringLiteral("phonebook"), {"number", "note", "active"},
                [this](const QJsonObject& o, const QString& path) {
                    return PhonebookRecord{
                        text(o.value(QLatin1StringView("number")), member(path, "number"),
                             protocol::PhonebookNumberMaxLength),
                        text(o.value(QLatin1StringView("note")), member(path, "note"),
                             protocol::PhonebookNoteMaxLength),
                        boolean(o.value(QLatin1StringView("active")), member(path, "active"))};
                });
        }
        refuseUnknownKeys(root, QString(),
                          {"format", "version", "firmware", "gsmNumbers", "smsTexts",
                           "digitalInputs", "digitalInputsAllEnabled", "analogAlarm", "calibration",
                           "relayPulseTime", "callFunction", "phonebook"});
        return p;
    }

private:
    std::optional<AnalogAlarm> readAnalogAlarm(const QJsonValue& value) {
        const QString path = QStringLiteral("analogAlarm");
        const std::optional<QJsonObject> o = object(value, path);
        if (!o) {
            return std::nullopt;
        }
        const auto field = [&](const char* key) { return o->value(QLatin1StringView(key)); };
        AnalogAlarm alarm{
            fixedPoint(field("max"), member(path, "max")),
            fixedPoint(field("min"), member(path, "min")),
            integerAs<std::uint16_t>(field("repeatMinutes"), member(path, "repeatMinutes"),
                                     protocol::RepeatTimeLimits),
            integerAs<std::uint8_t>(field("smsCount"), member(path, "smsCount"),
                                    protocol::SmsCountLimits),
            boolean(field("on"), member(path, "on")),
            boolean(field("userTexts"), member(path, "userTexts"))};
        refuseUnknownKeys(*o, path, {"max", "min", "repeatMinutes", "smsCount", "on", "userTexts"});
        return alarm;
    }
};

// 1-based line and column of a byte offset; columns count characters, not
// bytes, as an editor shows them.
std::pair<qsizetype, qsizetype> lineAndColumn(const QByteArray& document, qsizetype offset) {
    offset = std::clamp<qsizetype>(offset, 0, document.size());
    qsizetype line = 1;
    qsizetype column = 1;
    for (qsizetype i = 0; i < offset; ++i) {
        const auto byte = static_cast<unsigned char>(document[i]);
        if (byte == '\n') {
            ++line;
            column = 1;
        } else if ((byte & 0xC0) != 0x80) {
            ++column;
        }
    }
    return {line, column};
}

// The first key that one object of `document` holds twice, and where its
// second copy starts. JSON leaves such a document's meaning open (our parser
// keeps the last copy), so it is refused like a typo. `document` must be
// well-formed.
std::optional<std::pair<QString, qsizetype>> repeatedKey(const QByteArray& document) {
    // The keys of each open object; an open array has none.
    std::vector<std::optional<std::set<QString>>> open;
    for (qsizetype i = 0; i < document.size(); ++i) {
        const char c = document[i];
        if (c == '{') {
            open.emplace_back(std::set<QString>{});
        } else if (c == '[') {
            open.emplace_back(std::nullopt);
        } else if ((c == '}' || c == ']') && !open.empty()) {
            open.pop_back();
        } else if (c == '"') {
            const qsizetype start = i;
            for (++i; i < document.size() && document[i] != '"'; ++i) {
                i += document[i] == '\\' ? 1 : 0;
            }
            qsizetype next = i + 1;
            while (next < document.size() && QChar::isSpace(static_cast<uchar>(document[next]))) {
                ++next;
            }
            const bool isKey = next < document.size() && document[next] == ':';
            if (isKey && !open.empty() && open.back()) {
                // Decoded where it holds an escape, so that "\u0061" and "a"
                // are one key.
                const QByteArray quoted = document.mid(start, i + 1 - start);
                const QString key =
                    quoted.contains('\\')
                        ? QJsonDocument::fromJson("[" + quoted + "]").array().first().toString()
                        : QString::fromUtf8(quoted.mid(1, quoted.size() - 2));
                if (!open.back()->insert(key).second) {
                    return std::pair{key, start};
                }
            }
        }
    }
    return std::nullopt;
}

ProfileReadResult refused(const QString& message) {
    return {std::nullopt, {{QString(), message}}};
}

ProfileReadResult refusedAsTooLarge(qint64 size) {
    return refused(
        QStringLiteral("the file is %1 bytes long, more than a profile can be (%2 bytes)")
            .arg(size)
            .arg(MaxProfileFileSize));
}

}  // namespace

QString ProfileFault::text() const {
    return path.isEmpty() ? message : path + QStringLiteral(": ") + message;
}

QByteArray writeProfile(const UnitProfile& profile) {
    std::vector<std::pair<const char*, QByteArray>> members{
        {"format", '"' + QByteArray(ProfileFormat) + '"'},
        {"version", jsonNumber(ProfileVersion)},
    };
    const auto add = [&](const char* key, QByteArray value) {
        members.emplace_back(key, std::move(value));
    };
    if (profile.firmware) {
        add("firmware", jsonString(*profile.firmware));
    }
    if (profile.gsmNumbers) {
        add("gsmNumbers", inlineArray(*profile.gsmNumbers, jsonString));
    }
    if (profile.smsTexts) {
        add("smsTexts", inlineArray(*profile.smsTexts, jsonString));
    }
    if (profile.digitalInputs) {
        add("digitalInputs", inlineArray(*profile.digitalInputs, [](const DigitalInput& input) {
                return inlineObject({{"trigger", jsonBool(input.trigger)},
                                     {"detectionDelay", jsonNumber(input.detectionDelay)}});
            }));
    }
    if (profile.digitalInputsAllEnabled) {
        add("digitalInputsAllEnabled", jsonBool(*profile.digitalInputsAllEnabled));
    }
    if (const auto& alarm = profile.analogAlarm) {
        add("analogAlarm", inlineObject({{"max", jsonFixedPoint(alarm->max)},
                                         {"min", jsonFixedPoint(alarm->min)},
                                         {"repeatMinutes", jsonNumber(alarm->repeatMinutes)},
                                         {"smsCount", jsonNumber(alarm->smsCount)},
                                         {"on", jsonBool(alarm->on)},
                                         {"userTexts", jsonBool(alarm->userTexts)}}));
    }
    if (profile.calibration) {
        add("calibration", inlineArray(*profile.calibration, [](const CalibrationChannel& channel) {
                return inlineObject({{"k", jsonFixedPoint(channel.k)},
                                     {"n", jsonFixedPoint(channel.n)},
                                     {"rawOffset", jsonNumber(channel.rawOffset)},
                                     {"voltageOut", jsonBool(channel.voltageOut)}});
            }));
    }
    if (profile.relayPulseTime) {
        add("relayPulseTime", jsonNumber(*profile.relayPulseTime));
    }
    if (profile.callFunction) {
        add("callFunction", jsonBool(*profile.callFunction));
    }
    if (profile.phonebook) {
        // One record a line: a hundred on one line could be neither read nor
        // compared.
        QByteArray records = "[\n";
        for (const PhonebookRecord& record : *profile.phonebook) {
            if (records.size() > 2) {
                records += ",\n";
            }
            records += "    ";
            records += inlineObject({{"number", jsonString(record.number)},
                                     {"note", jsonString(record.note)},
                                     {"active", jsonBool(record.active)}});
        }
        add("phonebook", records + "\n  ]");
    }

    QByteArray out = "{\n";
    for (std::size_t i = 0; i < members.size(); ++i) {
        out += "  \"";
        out += members[i].first;
        out += "\": ";
        out += members[i].second;
        out += i + 1 < members.size() ? ",\n" : "\n";
    }
    return out + "}\n";
}

ProfileReadResult readProfile(const QByteArray& document) {
    if (document.size() > MaxProfileFileSize) {
        return refusedAsTooLarge(document.size());
    }
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError) {
        const auto [line, column] = lineAndColumn(document, error.offset);
        return refused(QStringLiteral("malformed JSON at line %1, column %2: %3")
                           .arg(line)
                           .arg(column)
                           .arg(error.errorString()));
    }
    if (const auto repeated = repeatedKey(document)) {
        const auto [line, column] = lineAndColumn(document, repeated->second);
        return refused(QStringLiteral("the key \"%1\" is given twice in one object, again at line "
                                      "%2, column %3")
                           .arg(repeated->first)
                           .arg(line)
                           .arg(column));
    }
    if (!json.isObject()) {
        return refused(QStringLiteral("the file must hold a JSON object, not %1")
                           .arg(json.isArray() ? QStringLiteral("an array")
                                               : QStringLiteral("a single value")));
    }
    const QJsonObject root = json.object();
    Reader reader;
    if (!reader.readHeader(root)) {
        return {std::nullopt, std::move(reader.faults)};
    }
    UnitProfile profile = reader.readGroups(root);
    if (!reader.faults.empty()) {
        return {std::nullopt, std::move(reader.faults)};
    }
    return {std::move(profile), {}};
}

std::vector<ProfileFault> checkProfile(const UnitProfile& profile) {
    Faults faults;
    const auto checkTexts = [&](const auto& texts, const char* group, std::size_t maxLength) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            checkText(texts[i], maxLength,
                      element(QLatin1StringView(group), static_cast<qsizetype>(i)), faults);
        }
    };
    if (profile.gsmNumbers) {
        checkTexts(*profile.gsmNumbers, "gsmNumbers", protocol::GsmNumberMaxLength);
    }
    if (profile.smsTexts) {
        checkTexts(*profile.smsTexts, "smsTexts", protocol::SmsTextMaxLength);
    }
    if (profile.relayPulseTime) {
        checkPulseTime(*profile.relayPulseTime, faults);
    }
    if (profile.phonebook) {
        for (std::size_t i = 0; i < profile.phonebook->size(); ++i) {
            const PhonebookRecord& record = (*profile.phonebook)[i];
            const QString path = element(QStringLiteral("phonebook"), static_cast<qsizetype>(i));
            checkText(record.number, protocol::PhonebookNumberMaxLength, member(path, "number"),
                      faults);
            checkText(record.note, protocol::PhonebookNoteMaxLength, member(path, "note"), faults);
        }
    }
    return faults;
}

bool saveProfile(const QString& path, const UnitProfile& profile, QString& error) {
    const QByteArray document = writeProfile(profile);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("Cannot create file \"%1\". %2")
                    .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    if (file.write(document) != document.size() || !file.commit()) {
        error = QStringLiteral("Error writing file \"%1\". %2")
                    .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

ProfileReadResult loadProfile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return refused(QStringLiteral("Cannot open file \"%1\". %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    // One byte more than allowed is enough to tell a file that is too large,
    // without reading all of it.
    const QByteArray document = file.read(MaxProfileFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        return refused(QStringLiteral("Error reading file \"%1\". %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    if (document.size() > MaxProfileFileSize) {
        return refusedAsTooLarge(std::max(file.size(), qint64{document.size()}));
    }
    return readProfile(document);
}

}  // namespace profile
