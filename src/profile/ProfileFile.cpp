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

#include "profile/ProfileGroups.h"
#include "profile/TextRules.h"
#include "protocol/NumberText.h"

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

// The kind of a JSON value as a fault names it.
QString jsonKind(const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::Null:
            return QStringLiteral("null");
        case QJsonValue::Bool:
            return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        case QJsonValue::Double:
            return QStringLiteral("number");
        case QJsonValue::String:
            return QStringLiteral("string");
        case QJsonValue::Array:
            return QStringLiteral("array");
        case QJsonValue::Object:
            return QStringLiteral("object");
        case QJsonValue::Undefined:
            break;
    }
    return QStringLiteral("nothing");
}

// A kind of jsonKind(), or of what a value must be, in English.
QString englishKind(const QString& kind) {
    static const std::pair<const char*, const char*> names[] = {
        {"number", "a number"},
        {"string", "a string"},
        {"array", "an array"},
        {"object", "an object"},
        {"boolean", "true or false"},
        {"wholeNumber", "a whole number"},
        {"decimal", "a string such as \"12.5\""},
    };
    for (const auto& [code, name] : names) {
        if (kind == QLatin1StringView(code)) {
            return QString::fromLatin1(name);
        }
    }
    return kind;
}

QString englishMessage(ProfileFault::Kind kind, const QStringList& v) {
    using Kind = ProfileFault::Kind;
    const auto at = [&v](qsizetype i) { return i < v.size() ? v[i] : QString(); };
    switch (kind) {
        case Kind::CannotOpen:
            return QStringLiteral("cannot open file \"%1\": %2").arg(at(0), at(1));
        case Kind::CannotRead:
            return QStringLiteral("error reading file \"%1\": %2").arg(at(0), at(1));
        case Kind::CannotCreate:
            return QStringLiteral("cannot create file \"%1\": %2").arg(at(0), at(1));
        case Kind::CannotWrite:
            return QStringLiteral("error writing file \"%1\": %2").arg(at(0), at(1));
        case Kind::TooLarge:
            return at(0).isEmpty()
                       ? QStringLiteral("the file is longer than a profile can be (%1 bytes)")
                             .arg(at(1))
                       : QStringLiteral(
                             "the file is %1 bytes long, more than a profile can be "
                             "(%2 bytes)")
                             .arg(at(0), at(1));
        case Kind::Empty:
            return QStringLiteral("the file is empty");
        case Kind::MalformedJson:
            return QStringLiteral("malformed JSON at line %1, column %2: %3")
                .arg(at(0), at(1), at(2));
        case Kind::RepeatedKey:
            return QStringLiteral(
                       "the key \"%1\" is given twice in one object, again at line %2, column %3")
                .arg(at(0), at(1), at(2));
        case Kind::NotAnObject:
            return QStringLiteral("the file must hold a JSON object, not %1")
                .arg(at(0) == u"array" ? QStringLiteral("an array")
                                       : QStringLiteral("a single value"));
        case Kind::NoSettings:
            return QStringLiteral("the profile holds no settings");
        case Kind::Missing:
            return QStringLiteral("missing");
        case Kind::WrongType:
            return QStringLiteral("must be %1, not %2").arg(englishKind(at(0)), englishKind(at(1)));
        case Kind::WrongFormat:
            return QStringLiteral("must be \"%1\", not %2")
                .arg(QLatin1StringView(ProfileFormat),
                     at(0).startsWith(u'"') ? at(0) : englishKind(at(0)));
        case Kind::NotWhole:
            return QStringLiteral("must be a whole number, not %1").arg(at(0));
        case Kind::VersionNewer:
            return QStringLiteral("%1 is newer than version %2, the one this program reads")
                .arg(at(0), at(1));
        case Kind::NotAVersion:
            return QStringLiteral("%1 is not a version; this program reads version %2")
                .arg(at(0), at(1));
        case Kind::UnknownKey:
            return QStringLiteral("unknown key");
        case Kind::WrongCount:
            return QStringLiteral("must hold %1 entries, not %2").arg(at(0), at(1));
        case Kind::Outside:
            return QStringLiteral("%1 is outside %2 to %3").arg(at(0), at(1), at(2));
        case Kind::NotDecimal:
            return QStringLiteral("\"%1\" is not a decimal number").arg(at(0));
        case Kind::Unsupported:
            return QStringLiteral("%1 cannot be sent to the unit").arg(at(0));
        case Kind::TooLong:
            return QStringLiteral("%1 characters, more than the %2 the unit takes")
                .arg(at(0), at(1));
        case Kind::NotANumber:
            return QStringLiteral(
                       "\"%1\" is not a telephone number: only digits, with one \"+\" "
                       "in front")
                .arg(at(0));
        case Kind::MaxNotAboveMin:
            return QStringLiteral("the maximum %1 is not above the minimum %2").arg(at(0), at(1));
    }
    return {};
}

ProfileFault makeFault(const QString& path, ProfileFault::Kind kind, QStringList values = {}) {
    return {path, englishMessage(kind, values), kind, std::move(values)};
}

QString numberText(double value) {
    if (std::trunc(value) == value && std::fabs(value) < 9007199254740992.0) {
        return QString::number(static_cast<qint64>(value));
    }
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

ProfileFault outside(const QString& path, const QString& value, protocol::IntegerLimits limits) {
    return makeFault(path, ProfileFault::Kind::Outside,
                     {value, QString::number(limits.min), QString::number(limits.max)});
}

// The faults of a text that is written to the unit; `only`, when set, keeps
// the faults of that kind alone.
void checkText(std::u16string_view text, TextField field, const QString& path, Faults& faults,
               std::optional<TextFault::Kind> only = std::nullopt) {
    for (const TextFault& fault : textFaults(field, text)) {
        if (only && fault.kind != *only) {
            continue;
        }
        switch (fault.kind) {
            case TextFault::Kind::Unsupported: {
                const char32_t code = fault.character;
                const QString character =
                    QChar::isPrint(code) ? QStringLiteral("\"%1\"").arg(QString::fromUcs4(&code, 1))
                                         : QStringLiteral("U+%1")
                                               .arg(static_cast<uint>(code), 4, 16, QChar(u'0'))
                                               .toUpper();
                faults.push_back(makeFault(path, ProfileFault::Kind::Unsupported, {character}));
                break;
            }
            case TextFault::Kind::TooLong:
                faults.push_back(
                    makeFault(path, ProfileFault::Kind::TooLong,
                              {QString::number(fault.length), QString::number(fault.maxLength)}));
                break;
            case TextFault::Kind::NotANumber:
                faults.push_back(
                    makeFault(path, ProfileFault::Kind::NotANumber, {shown(qstring(text))}));
                break;
        }
    }
}

// The byte the relay pulse time travels in: a file may hold any value a unit
// can, and only a write needs 1 to 250.
constexpr protocol::IntegerLimits PulseTimeByteLimits{0, 255};

// Exactly an optional "-", digits, and a full stop with one to four digits:
// what the file itself writes, with no rounding, exponent or blanks.
// Checked by hand, not with a QRegularExpression: profiles are read on
// brevalon-cli's unit threads (see cli/UnitWorker.h).
bool isFileDecimal(const QString& text) {
    const auto digits = [&](qsizetype from) {
        qsizetype k = from;
        while (k < text.size() && text[k] >= u'0' && text[k] <= u'9') {
            ++k;
        }
        return k - from;
    };
    const qsizetype sign = text.startsWith(u'-') ? 1 : 0;
    const qsizetype whole = digits(sign);
    if (whole == 0) {
        return false;
    }
    const qsizetype point = sign + whole;
    if (point == text.size()) {
        return true;
    }
    const qsizetype decimals = text[point] == u'.' ? digits(point + 1) : 0;
    return decimals >= 1 && decimals <= 4 && point + 1 + decimals == text.size();
}

// Reads a JSON document into a profile, collecting every fault on the way.
// Each read gives nothing after a fault; the caller then only fills in a
// default, since a profile with a fault is never handed out.
class Reader {
public:
    Faults faults;

    void fault(const QString& path, ProfileFault::Kind kind, QStringList values = {}) {
        faults.push_back(makeFault(path, kind, std::move(values)));
    }

    // False with a fault unless `value` is present and passes `isKind`.
    template <typename IsKind>
    bool expect(const QJsonValue& value, const QString& path, IsKind isKind, const char* wanted) {
        if (value.isUndefined()) {
            fault(path, ProfileFault::Kind::Missing);
            return false;
        }
        if (!isKind(value)) {
            fault(path, ProfileFault::Kind::WrongType,
                  {QString::fromLatin1(wanted), jsonKind(value)});
            return false;
        }
        return true;
    }

    std::optional<QJsonObject> object(const QJsonValue& value, const QString& path) {
        if (!expect(value, path, std::mem_fn(&QJsonValue::isObject), "object")) {
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
                fault(path.isEmpty() ? name : path + u'.' + name, ProfileFault::Kind::UnknownKey);
            }
        }
    }

    std::optional<QJsonArray> array(const QJsonValue& value, const QString& path,
                                    std::size_t length) {
        if (!expect(value, path, std::mem_fn(&QJsonValue::isArray), "array")) {
            return std::nullopt;
        }
        QJsonArray items = value.toArray();
        if (static_cast<std::size_t>(items.size()) != length) {
            fault(path, ProfileFault::Kind::WrongCount,
                  {QString::number(length), QString::number(items.size())});
            return std::nullopt;
        }
        return items;
    }

    bool boolean(const QJsonValue& value, const QString& path) {
        return expect(value, path, std::mem_fn(&QJsonValue::isBool), "boolean") && value.toBool();
    }

    std::optional<std::int64_t> integer(const QJsonValue& value, const QString& path,
                                        protocol::IntegerLimits limits) {
        if (!expect(value, path, std::mem_fn(&QJsonValue::isDouble), "wholeNumber")) {
            return std::nullopt;
        }
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::trunc(number) != number) {
            fault(path, ProfileFault::Kind::NotWhole, {numberText(number)});
            return std::nullopt;
        }
        if (number < static_cast<double>(limits.min) || number > static_cast<double>(limits.max)) {
            faults.push_back(outside(path, numberText(number), limits));
            return std::nullopt;
        }
        return static_cast<std::int64_t>(number);
    }

    template <typename T>
    T integerAs(const QJsonValue& value, const QString& path, protocol::IntegerLimits limits) {
        return static_cast<T>(integer(value, path, limits).value_or(0));
    }

    // A decimal written as a string, exactly as writeProfile() writes one.
    std::int32_t fixedPoint(const QJsonValue& value, const QString& path) {
        if (!expect(value, path, std::mem_fn(&QJsonValue::isString), "decimal")) {
            return 0;
        }
        const QString text = value.toString();
        if (!isFileDecimal(text)) {
            fault(path, ProfileFault::Kind::NotDecimal, {shown(text)});
            return 0;
        }
        const auto parsed = protocol::parseFixedPoint(u16string(text), u".");
        if (parsed.error != protocol::NumberError::None) {
            fault(path, ProfileFault::Kind::Outside,
                  {shown(text), fixedPointText(INT32_MIN), fixedPointText(INT32_MAX)});
        }
        return parsed.value;
    }

    std::u16string string(const QJsonValue& value, const QString& path) {
        if (!expect(value, path, std::mem_fn(&QJsonValue::isString), "string")) {
            return {};
        }
        return u16string(value.toString());
    }

    // A text of the unit: one that no unit can hold is refused, one that only
    // a write would refuse is kept.
    std::u16string text(const QJsonValue& value, const QString& path, TextField field) {
        std::u16string result = string(value, path);
        checkText(result, field, path, faults, TextFault::Kind::Unsupported);
        return result;
    }

    template <std::size_t N>
    std::optional<std::array<std::u16string, N>> texts(const QJsonValue& value, const QString& path,
                                                       TextField field) {
        const std::optional<QJsonArray> items = array(value, path, N);
        if (!items) {
            return std::nullopt;
        }
        std::array<std::u16string, N> result;
        for (std::size_t i = 0; i < N; ++i) {
            const auto index = static_cast<qsizetype>(i);
            result[i] = text(items->at(index), element(path, index), field);
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
        const QString formatPath = QStringLiteral("format");
        const QJsonValue formatValue = root.value(formatPath);
        if (formatValue.isUndefined()) {
            fault(formatPath, ProfileFault::Kind::Missing);
        } else if (formatValue.toString() != QLatin1StringView(ProfileFormat)) {
            fault(formatPath, ProfileFault::Kind::WrongFormat,
                  {formatValue.isString()
                       ? QStringLiteral("\"%1\"").arg(shown(formatValue.toString()))
                       : jsonKind(formatValue)});
        }

        const QString versionPath = QStringLiteral("version");
        const QJsonValue versionValue = root.value(versionPath);
        if (expect(versionValue, versionPath, std::mem_fn(&QJsonValue::isDouble), "wholeNumber")) {
            const double version = versionValue.toDouble();
            const QStringList values{numberText(version), QString::number(ProfileVersion)};
            if (std::trunc(version) != version) {
                fault(versionPath, ProfileFault::Kind::NotWhole, {numberText(version)});
            } else if (version > ProfileVersion) {
                fault(versionPath, ProfileFault::Kind::VersionNewer, values);
            } else if (version < ProfileVersion) {
                fault(versionPath, ProfileFault::Kind::NotAVersion, values);
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
        if (present("serial")) {
            p.serial = string(group("serial"), QStringLiteral("serial"));
        }
        if (present("gsmNumbers")) {
            p.gsmNumbers = texts<protocol::GsmNumberCount>(
                group("gsmNumbers"), QStringLiteral("gsmNumbers"), TextField::GsmNumber);
        }
        if (present("smsTexts")) {
            p.smsTexts = texts<protocol::SmsSlotCount>(
                group("smsTexts"), QStringLiteral("smsTexts"), TextField::SmsText);
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
            p.relayPulseTime = integerAs<std::uint8_t>(
                group("relayPulseTime"), QStringLiteral("relayPulseTime"), PulseTimeByteLimits);
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
                             TextField::PhonebookNumber),
                        text(o.value(QLatin1StringView("note")), member(path, "note"),
                             TextField::PhonebookNote),
                        boolean(o.value(QLatin1StringView("active")), member(path, "active"))};
                });
        }
        refuseUnknownKeys(root, QString(),
                          {"format", "version", "firmware", "serial", "gsmNumbers", "smsTexts",
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

ProfileReadResult refused(ProfileFault::Kind kind, QStringList values = {}) {
    return {std::nullopt, {makeFault(QString(), kind, std::move(values))}};
}

// `size` is unknown (negative) for a stream that was not read to its end.
ProfileReadResult refusedAsTooLarge(qint64 size) {
    return refused(ProfileFault::Kind::TooLarge, {size < 0 ? QString() : QString::number(size),
                                                  QString::number(MaxProfileFileSize)});
}

ProfileReadResult readDevice(QIODevice& device, const QString& name) {
    const QByteArray document = readAtMost(device, MaxProfileFileSize);
    const auto* file = qobject_cast<QFileDevice*>(&device);
    if (file != nullptr && file->error() != QFileDevice::NoError) {
        return refused(ProfileFault::Kind::CannotRead, {name, file->errorString()});
    }
    if (document.size() > MaxProfileFileSize) {
        return refusedAsTooLarge(device.isSequential() ? -1 : device.size());
    }
    return readProfile(document);
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
    if (profile.serial) {
        add("serial", jsonString(*profile.serial));
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
    if (document.trimmed().isEmpty()) {
        return refused(ProfileFault::Kind::Empty);
    }
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError) {
        const auto [line, column] = lineAndColumn(document, error.offset);
        return refused(ProfileFault::Kind::MalformedJson,
                       {QString::number(line), QString::number(column), error.errorString()});
    }
    if (const auto repeated = repeatedKey(document)) {
        const auto [line, column] = lineAndColumn(document, repeated->second);
        return refused(ProfileFault::Kind::RepeatedKey,
                       {repeated->first, QString::number(line), QString::number(column)});
    }
    if (!json.isObject()) {
        return refused(ProfileFault::Kind::NotAnObject,
                       {json.isArray() ? QStringLiteral("array") : QStringLiteral("value")});
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
    const auto checkTexts = [&](const auto& texts, const char* group, TextField field) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            checkText(texts[i], field, element(QLatin1StringView(group), static_cast<qsizetype>(i)),
                      faults);
        }
    };
    if (profile.gsmNumbers) {
        checkTexts(*profile.gsmNumbers, "gsmNumbers", TextField::GsmNumber);
    }
    if (profile.smsTexts) {
        checkTexts(*profile.smsTexts, "smsTexts", TextField::SmsText);
    }
    // The alarm window refuses such limits; the unit would never leave its
    // range or never come back.
    if (const auto& alarm = profile.analogAlarm; alarm && alarm->max <= alarm->min) {
        faults.push_back(makeFault(QStringLiteral("analogAlarm"),
                                   ProfileFault::Kind::MaxNotAboveMin,
                                   {fixedPointText(alarm->max), fixedPointText(alarm->min)}));
    }
    if (profile.relayPulseTime && !protocol::PulseTimeLimits.contains(*profile.relayPulseTime)) {
        faults.push_back(outside(QStringLiteral("relayPulseTime"),
                                 QString::number(*profile.relayPulseTime),
                                 protocol::PulseTimeLimits));
    }
    if (profile.phonebook) {
        for (std::size_t i = 0; i < profile.phonebook->size(); ++i) {
            const PhonebookRecord& record = (*profile.phonebook)[i];
            const QString path = element(QStringLiteral("phonebook"), static_cast<qsizetype>(i));
            checkText(record.number, TextField::PhonebookNumber, member(path, "number"), faults);
            checkText(record.note, TextField::PhonebookNote, member(path, "note"), faults);
        }
    }
    return faults;
}

bool holdsSettings(const UnitProfile& profile) {
    std::vector<Group> groups = groupsOf(profile);
    std::erase(groups, Group::Firmware);
    return !groups.empty();
}

ProfileFault noSettingsFault() {
    return makeFault(QString(), ProfileFault::Kind::NoSettings);
}

std::optional<ProfileFault> saveProfile(const QString& path, const UnitProfile& profile) {
    const QByteArray document = writeProfile(profile);
    const QString name = QDir::toNativeSeparators(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return makeFault(QString(), ProfileFault::Kind::CannotCreate, {name, file.errorString()});
    }
    if (file.write(document) != document.size() || !file.commit()) {
        return makeFault(QString(), ProfileFault::Kind::CannotWrite, {name, file.errorString()});
    }
    return std::nullopt;
}

QByteArray readAtMost(QIODevice& device, qsizetype limit) {
    QByteArray bytes;
    while (bytes.size() <= limit) {
        const QByteArray part = device.read(limit + 1 - bytes.size());
        if (part.isEmpty()) {
            break;
        }
        bytes += part;
    }
    return bytes;
}

ProfileReadResult loadProfile(const QString& path) {
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return refused(ProfileFault::Kind::CannotOpen, {name, file.errorString()});
    }
    return readDevice(file, name);
}

ProfileReadResult loadProfile(QIODevice& device, const QString& name) {
    return readDevice(device, name);
}

}  // namespace profile
