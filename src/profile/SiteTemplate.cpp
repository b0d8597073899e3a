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

// Reads `device` up to one byte more than a site list may have, enough to
// tell one that is too large without reading all of it.
SiteListResult readDevice(QIODevice& device, const QString& name) {
    QByteArray csv;
    while (csv.size() <= MaxSiteListFileSize) {
        const QByteArray part = device.read(MaxSiteListFileSize + 1 - csv.size());
        if (part.isEmpty()) {
            break;
        }
        csv += part;
    }
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

}  // namespace profile
