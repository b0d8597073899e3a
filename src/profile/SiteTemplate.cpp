#include "profile/SiteTemplate.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringView>

#include <algorithm>
#include <utility>

namespace profile {

namespace {

using Faults = std::vector<SiteFault>;

QString placeAt(const QString& name, int line) {
    return QStringLiteral("%1:%2").arg(name).arg(line);
}

Faults refused(QString place, QString message) {
    return {SiteFault{std::move(place), QString(), std::move(message)}};
}

// Faults of readProfile() and checkProfile(), at `place`.
Faults placed(const QString& place, const std::vector<ProfileFault>& faults) {
    Faults out;
    for (const ProfileFault& fault : faults) {
        out.push_back({place, fault.path, fault.message});
    }
    return out;
}

constexpr char nameRule[] = "letters, digits, \"_\" and \"-\", starting with a letter or \"_\"";

// Placeholders and columns share their names, so that a column fills the
// placeholder of its name.
bool isName(const QString& text) {
    static const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z_][A-Za-z0-9_-]*")));
    return pattern.match(text).hasMatch();
}

QString counted(qsizetype count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1StringView(count == 1 ? one : many));
}

// --- The site list ---

// One record of the CSV text and the line it starts on.
struct Record {
    int line = 0;
    QStringList fields;
};

struct Records {
    std::vector<Record> records;
    std::optional<SiteFault> fault;
};

// The text of `csv` with its lines joined by "\n", or the fault of the first
// line that is not UTF-8. A line is decoded on its own to name it; the byte
// of a line break is never part of a longer sequence.
std::pair<QString, Faults> decodeLines(const QByteArray& csv, const QString& name) {
    QString text;
    int line = 1;
    for (qsizetype from = 0; from <= csv.size(); ++line) {
        qsizetype end = csv.indexOf('\n', from);
        end = end < 0 ? csv.size() : end;
        // Only the file's first bytes may be its byte order mark, and those
        // are gone by now.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                         QStringDecoder::Flag::ConvertInitialBom);
        const QString part = decoder(QByteArrayView(csv).sliced(from, end - from));
        if (decoder.hasError()) {
            return {QString(), refused(placeAt(name, line), QStringLiteral("not valid UTF-8"))};
        }
        text += part;
        if (end < csv.size()) {
            text += u'\n';
        }
        from = end + 1;
    }
    return {text, {}};
}

// Fields are separated by commas and records end at LF or CR LF; a field in
// double quotes may hold commas, line breaks and quotes written twice. Lines
// that hold nothing but blanks are skipped.
Records parseRecords(const QString& text, const QString& name) {
    Records out;
    const qsizetype size = text.size();
    const auto endsField = [&](qsizetype i) {
        return i >= size || text[i] == u',' || text[i] == u'\n' ||
               (text[i] == u'\r' && (i + 1 >= size || text[i + 1] == u'\n'));
    };
    int line = 1;
    qsizetype i = 0;
    while (i < size) {
        qsizetype lineEnd = text.indexOf(u'\n', i);
        lineEnd = lineEnd < 0 ? size : lineEnd;
        if (QStringView(text).sliced(i, lineEnd - i).trimmed().isEmpty()) {
            i = lineEnd + 1;
            ++line;
            continue;
        }
        Record record{line, {}};
        for (;;) {
            QString field;
            if (i < size && text[i] == u'"') {
                const int quoteLine = line;
                for (++i;; ++i) {
                    if (i >= size) {
                        out.fault =
                            SiteFault{placeAt(name, quoteLine), QString(),
                                      QStringLiteral("a quoted field has no closing quote")};
                        return out;
                    }
                    if (text[i] == u'"') {
                        if (i + 1 >= size || text[i + 1] != u'"') {
                            ++i;
                            break;
                        }
                        ++i;
                    } else if (text[i] == u'\n') {
                        ++line;
                    }
                    field += text[i];
                }
                if (!endsField(i)) {
                    out.fault =
                        SiteFault{placeAt(name, line), QString(),
                                  QStringLiteral("text after a quoted field's closing quote")};
                    return out;
                }
            } else {
                while (!endsField(i)) {
                    field += text[i++];
                }
            }
            record.fields += field;
            i += i < size && text[i] == u'\r' ? 1 : 0;
            if (i < size && text[i] == u',') {
                ++i;
                continue;
            }
            break;
        }
        // At the record's line break, or at the end.
        ++i;
        ++line;
        out.records.push_back(std::move(record));
    }
    return out;
}

// The header's names, without blanks around them; every fault of them goes
// into `faults`.
QStringList readHeader(const Record& header, const QString& name, Faults& faults) {
    const QString place = placeAt(name, header.line);
    QStringList columns;
    for (const QString& field : header.fields) {
        const QString column = field.trimmed();
        const qsizetype earlier = columns.indexOf(column);
        if (column.isEmpty()) {
            faults.push_back({place, QString(),
                              QStringLiteral("column %1 has no name").arg(columns.size() + 1)});
        } else if (!isName(column)) {
            faults.push_back({place, QString(),
                              QStringLiteral("\"%1\" is not a column name: %2")
                                  .arg(column, QLatin1StringView(nameRule))});
        } else if (earlier >= 0) {
            faults.push_back({place, QString(),
                              QStringLiteral("the column \"%1\" is given twice (columns %2 and %3)")
                                  .arg(column)
                                  .arg(earlier + 1)
                                  .arg(columns.size() + 1)});
        }
        columns += column;
    }
    return columns;
}

SiteListResult refusedAsTooLarge(const QString& name, qint64 size) {
    const QString limit = QString::number(MaxSiteListFileSize);
    return {
        std::nullopt,
        refused(
            name,
            size < 0
                ? QStringLiteral("the file is longer than a site list can be (%1 bytes)").arg(limit)
                : QStringLiteral("the file is %1 bytes long, more than a site "
                                 "list can be (%2 bytes)")
                      .arg(size)
                      .arg(limit))};
}

SiteListResult readDevice(QIODevice& device, const QString& name) {
    const QByteArray csv = readAtMost(device, MaxSiteListFileSize);
    const auto* file = qobject_cast<QFileDevice*>(&device);
    if (file != nullptr && file->error() != QFileDevice::NoError) {
        return {
            std::nullopt,
            refused(name, QStringLiteral("error reading the file: %1").arg(file->errorString()))};
    }
    if (csv.size() > MaxSiteListFileSize) {
        return refusedAsTooLarge(name, device.isSequential() ? -1 : device.size());
    }
    return readSiteList(csv, name);
}

// --- The template ---

// A JSON string of a document, quotes included, and the text it holds.
struct JsonText {
    qsizetype start = 0;
    qsizetype end = 0;
    QString text;
    // The value's path, or for a key the path of the member it names.
    QString path;
    bool isKey = false;
};

// An object or array that is open while scanning, and which member or
// element the scan is in.
struct Open {
    bool isObject = false;
    QString key;
    qsizetype index = 0;
};

QString pathOf(const std::vector<Open>& open) {
    QString path;
    for (const Open& o : open) {
        path = !o.isObject      ? QStringLiteral("%1[%2]").arg(path).arg(o.index)
               : path.isEmpty() ? o.key
                                : path + u'.' + o.key;
    }
    return path;
}

// Every string of `document`, well-formed JSON, that holds "{{" once its
// escapes are decoded.
std::vector<JsonText> textsWithBraces(const QByteArray& document) {
    std::vector<JsonText> found;
    std::vector<Open> open;
    for (qsizetype i = 0; i < document.size(); ++i) {
        const char c = document[i];
        if (c == '{' || c == '[') {
            open.push_back({c == '{', QString(), 0});
        } else if ((c == '}' || c == ']') && !open.empty()) {
            open.pop_back();
        } else if (c == ',' && !open.empty() && !open.back().isObject) {
            ++open.back().index;
        } else if (c == '"') {
            const qsizetype start = i;
            for (++i; i < document.size() && document[i] != '"'; ++i) {
                i += document[i] == '\\' ? 1 : 0;
            }
            const qsizetype end = i + 1;
            qsizetype next = end;
            while (next < document.size() && QChar::isSpace(static_cast<uchar>(document[next]))) {
                ++next;
            }
            const bool isKey = next < document.size() && document[next] == ':' && !open.empty();
            const QByteArray quoted = document.mid(start, end - start);
            const QString text =
                quoted.contains('\\')
                    ? QJsonDocument::fromJson("[" + quoted + "]").array().first().toString()
                    : QString::fromUtf8(quoted.mid(1, quoted.size() - 2));
            if (isKey) {
                open.back().key = text;
            }
            if (text.contains(QStringLiteral("{{"))) {
                found.push_back({start, end, text, pathOf(open), isKey});
            }
        }
    }
    return found;
}

// `text` as a JSON string, so that quotes, backslashes and control
// characters of a site's value stay text.
QByteArray jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

bool takesPlaceholders(const QString& path) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("(gsmNumbers|smsTexts)\\[[0-9]+\\]|phonebook\\[[0-9]+\\]\\.(number|note)")));
    return pattern.match(path).hasMatch();
}

// Calls `each` with the start, length and name of every placeholder in
// `text`, and answers the fault of the first malformed one.
template <typename Each>
std::optional<QString> forEachPlaceholder(const QString& text, Each each) {
    for (qsizetype from = 0;;) {
        const qsizetype open = text.indexOf(QStringLiteral("{{"), from);
        if (open < 0) {
            return std::nullopt;
        }
        const qsizetype close = text.indexOf(QStringLiteral("}}"), open + 2);
        if (close < 0) {
            return QStringLiteral("a placeholder's \"{{\" has no \"}}\"");
        }
        const QString name = text.mid(open + 2, close - open - 2);
        if (!isName(name)) {
            return QStringLiteral("\"{{%1}}\" is not a placeholder: its name must be %2")
                .arg(name, QLatin1StringView(nameRule));
        }
        each(open, close + 2 - open, name);
        from = close + 2;
    }
}

}  // namespace

QString SiteFault::text() const {
    return path.isEmpty() ? QStringLiteral("%1: %2").arg(place, message)
                          : QStringLiteral("%1: %2: %3").arg(place, path, message);
}

QString SiteList::place(const SiteRow& row) const {
    return placeAt(name, row.line);
}

QString SiteList::label(const SiteRow& row) const {
    const qsizetype column = columns.indexOf(QLatin1StringView(SiteColumn));
    const QString site = column < 0 ? QString() : row.values.value(column).trimmed();
    return site.isEmpty() ? place(row) : site;
}

SiteListResult readSiteList(const QByteArray& csv, const QString& name) {
    if (csv.size() > MaxSiteListFileSize) {
        return refusedAsTooLarge(name, csv.size());
    }
    auto [text, faults] = decodeLines(csv.startsWith("\xEF\xBB\xBF") ? csv.mid(3) : csv, name);
    if (!faults.empty()) {
        return {std::nullopt, std::move(faults)};
    }
    const Records parsed = parseRecords(text, name);
    if (parsed.fault) {
        return {std::nullopt, {*parsed.fault}};
    }
    const std::vector<Record>& records = parsed.records;
    if (records.empty()) {
        return {std::nullopt, refused(placeAt(name, 1), QStringLiteral("the file is empty"))};
    }
    SiteList sites{name, records.front().line, readHeader(records.front(), name, faults), {}};
    if (records.size() == 1) {
        faults.push_back({placeAt(name, sites.headerLine), QString(),
                          QStringLiteral("no rows below the header")});
    }
    const qsizetype serialColumn = sites.columns.indexOf(QLatin1StringView(SerialColumn));
    QHash<QString, int> serialLines;
    for (auto record = records.begin() + 1; record != records.end(); ++record) {
        const QString place = placeAt(name, record->line);
        if (record->fields.size() != sites.columns.size()) {
            faults.push_back({place, QString(),
                              QStringLiteral("the row has %1, the header %2")
                                  .arg(counted(record->fields.size(), "field", "fields"))
                                  .arg(sites.columns.size())});
            continue;
        }
        SiteRow row{record->line,
                    serialColumn < 0 ? QString() : record->fields[serialColumn].trimmed(),
                    record->fields};
        if (!row.serial.isEmpty()) {
            if (const auto earlier = serialLines.constFind(row.serial);
                earlier != serialLines.constEnd()) {
                faults.push_back({place, QString(),
                                  QStringLiteral("the serial number \"%1\" is also on line %2")
                                      .arg(row.serial)
                                      .arg(*earlier)});
            }
            serialLines.insert(row.serial, row.line);
        }
        sites.rows.push_back(std::move(row));
    }
    if (!faults.empty()) {
        return {std::nullopt, std::move(faults)};
    }
    return {std::move(sites), {}};
}

SiteListResult loadSiteList(QIODevice& device, const QString& name) {
    return readDevice(device, name);
}

SiteListResult loadSiteList(const QString& path) {
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt,
                refused(name, QStringLiteral("cannot open the file: %1").arg(file.errorString()))};
    }
    return readDevice(file, name);
}

SiteTemplateResult SiteTemplate::read(const QByteArray& document, const QString& name,
                                      const SiteList* sites) {
    // What cannot be scanned for placeholders is no profile either, and
    // readProfile() says why.
    if (document.size() > MaxProfileFileSize || !QJsonDocument::fromJson(document).isObject()) {
        return {std::nullopt, placed(name, readProfile(document).faults)};
    }
    SiteTemplate result;
    result.document_ = document;
    result.name_ = name;
    Faults faults;
    for (const JsonText& found : textsWithBraces(document)) {
        if (found.isKey) {
            faults.push_back({name, found.path, QStringLiteral("a key cannot hold a placeholder")});
            continue;
        }
        if (!takesPlaceholders(found.path)) {
            faults.push_back({name, found.path,
                              QStringLiteral("a placeholder may stand only in gsmNumbers, "
                                             "smsTexts and a phonebook record's number and note")});
            continue;
        }
        const std::optional<QString> malformed =
            forEachPlaceholder(found.text, [&](qsizetype, qsizetype, const QString& placeholder) {
                result.placeholders_.push_back({placeholder, found.path});
            });
        if (malformed) {
            faults.push_back({name, found.path, *malformed});
        } else {
            result.literals_.push_back({found.start, found.end, found.text});
        }
    }
    if (!faults.empty()) {
        return {std::nullopt, std::move(faults)};
    }

    // The rest of the document is the same for every unit, so a fault there
    // is named once, here; a text with a placeholder is checked when filled.
    const ProfileReadResult blank = readProfile(result.filledDocument(nullptr));
    if (!blank.profile) {
        return {std::nullopt, placed(name, blank.faults)};
    }
    for (const ProfileFault& fault : checkProfile(*blank.profile)) {
        if (std::none_of(result.placeholders_.begin(), result.placeholders_.end(),
                         [&](const Placeholder& p) { return p.path == fault.path; })) {
            faults.push_back({name, fault.path, fault.message});
        }
    }

    QStringList names;
    for (const Placeholder& p : result.placeholders_) {
        if (!names.contains(p.name)) {
            names += p.name;
        }
    }
    const auto pathsOf = [&](const QString& placeholder) {
        QStringList paths;
        for (const Placeholder& p : result.placeholders_) {
            if (p.name == placeholder) {
                paths += p.path;
            }
        }
        return paths;
    };
    if (sites == nullptr) {
        for (const QString& placeholder : names) {
            faults.push_back(
                {name, pathsOf(placeholder).first(),
                 QStringLiteral("{{%1}} needs a site list to fill it").arg(placeholder)});
        }
    } else {
        result.sitesName_ = sites->name;
        const QString header = placeAt(sites->name, sites->headerLine);
        for (const QString& placeholder : names) {
            const qsizetype column = sites->columns.indexOf(placeholder);
            if (column < 0) {
                faults.push_back({header, QString(),
                                  QStringLiteral("no column for {{%1}}, which %2 holds in %3")
                                      .arg(placeholder, name, pathsOf(placeholder).join(", "))});
            }
            result.columnOf_.insert(placeholder, column);
        }
        for (const QString& column : sites->columns) {
            if (column != QLatin1StringView(SerialColumn) &&
                column != QLatin1StringView(SiteColumn) && !names.contains(column)) {
                faults.push_back({header, QString(),
                                  QStringLiteral("the column \"%1\" fills no placeholder of %2")
                                      .arg(column, name)});
            }
        }
    }
    if (!faults.empty()) {
        return {std::nullopt, std::move(faults)};
    }
    return {std::move(result), {}};
}

SiteProfileResult SiteTemplate::fill(const SiteRow* row) const {
    ProfileReadResult read = readProfile(filledDocument(row));
    const std::vector<ProfileFault> faults =
        read.profile ? checkProfile(*read.profile) : std::move(read.faults);
    if (!faults.empty()) {
        return {std::nullopt, placed(row ? placeAt(sitesName_, row->line) : name_, faults)};
    }
    return {std::move(read.profile), {}};
}

QByteArray SiteTemplate::filledDocument(const SiteRow* row) const {
    QByteArray out;
    qsizetype from = 0;
    for (const Literal& literal : literals_) {
        QString text;
        qsizetype done = 0;
        // Every placeholder was found well-formed when the template was read.
        forEachPlaceholder(literal.text,
                           [&](qsizetype start, qsizetype length, const QString& placeholder) {
                               text += QStringView(literal.text).sliced(done, start - done);
                               if (row != nullptr) {
                                   text += row->values.value(columnOf_.value(placeholder));
                               }
                               done = start + length;
                           });
        text += QStringView(literal.text).sliced(done);
        out += document_.mid(from, literal.start - from);
        out += jsonString(text);
        from = literal.end;
    }
    return out + document_.mid(from);
}

SiteAssigner::SiteAssigner(const SiteList* sites) {
    if (sites == nullptr) {
        return;
    }
    sites_ = *sites;
    for (std::size_t i = 0; i < sites_->rows.size(); ++i) {
        if (!sites_->rows[i].serial.isEmpty()) {
            rowOf_.insert(sites_->rows[i].serial, i);
        }
    }
}

SiteAssigner::Assignment SiteAssigner::assign(const QString& serial) {
    if (!sites_) {
        return {};
    }
    const std::vector<SiteRow>& rows = sites_->rows;
    // An empty serial number is never among them.
    if (const auto known = rowOf_.constFind(serial); known != rowOf_.constEnd()) {
        return {&rows[*known], std::nullopt};
    }
    while (next_ < rows.size() && !rows[next_].serial.isEmpty()) {
        ++next_;
    }
    if (next_ < rows.size()) {
        if (!serial.isEmpty()) {
            rowOf_.insert(serial, next_);
        }
        return {&rows[next_++], std::nullopt};
    }

    // The rows without a serial number, as runs of neighbouring rows.
    QStringList runs;
    std::size_t count = 0;
    for (std::size_t first = 0; first < rows.size(); ++first) {
        if (!rows[first].serial.isEmpty()) {
            continue;
        }
        std::size_t last = first;
        while (last + 1 < rows.size() && rows[last + 1].serial.isEmpty()) {
            ++last;
        }
        runs += last == first ? QString::number(rows[first].line)
                              : QStringLiteral("%1-%2").arg(rows[first].line).arg(rows[last].line);
        count += last - first + 1;
        first = last;
    }
    QString message;
    if (!runs.isEmpty()) {
        message = QStringLiteral("every row without a serial number is taken (%1 %2)")
                      .arg(QLatin1StringView(count == 1 ? "line" : "lines"), runs.join(", "));
    } else if (serial.isEmpty()) {
        message = QStringLiteral("every row has a serial number, and the unit has none");
    } else {
        message = QStringLiteral("no row has the serial number \"%1\", and every row has one")
                      .arg(serial);
    }
    return {nullptr, SiteFault{sites_->name, QString(), message}};
}

}  // namespace profile
