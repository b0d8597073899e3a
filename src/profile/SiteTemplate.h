#pragma once

// One profile for many units: a template whose texts hold placeholders such
// as {{number}}, and a site list, a CSV file with one row per site whose
// columns fill them. A provisioning station writes the template, filled with
// a unit's row, to each unit that arrives.
//
// Placeholders stand only in the texts that differ from site to site: the GSM
// numbers, the SMS texts and a phonebook record's number and note. A name is
// a letter or "_", then letters, digits, "_" and "-", case-sensitive.

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <vector>

#include "profile/ProfileFile.h"
#include "profile/UnitProfile.h"

namespace profile {

// A site list is a few thousand rows at most; a larger file was picked by
// mistake, and refusing it unread keeps time and memory bounded.
inline constexpr qsizetype MaxSiteListFileSize = 1024 * 1024;

// Columns that label a row and need no placeholder: a unit whose serial
// number is in the serial column gets that row, and the station names a row
// by its site.
inline constexpr char SerialColumn[] = "serial";
inline constexpr char SiteColumn[] = "site";

// A fault of a site list, a template or a filled template, in English as
// brevalon-cli says it.
struct SiteFault {
    // The file, with the line where it has one: "sites.csv:7", "unit.json".
    QString place;
    // Where in the profile, as ProfileFault's path; empty for none.
    QString path;
    QString message;
    // "place: path: message", the path left out when empty.
    QString text() const;
    bool operator==(const SiteFault&) const = default;
};

struct SiteRow {
    // The line the row starts on, from 1 (a quoted field may hold line breaks).
    int line = 0;
    // The serial column's value without surrounding blanks; empty when none.
    QString serial;
    // One for each column, as written.
    QStringList values;
};

struct SiteList {
    // The file's name, as faults show it.
    QString name;
    // The header's line and names.
    int headerLine = 1;
    QStringList columns;
    std::vector<SiteRow> rows;

    // "sites.csv:7".
    QString place(const SiteRow& row) const;
    // The row's site, or its place when it has none.
    QString label(const SiteRow& row) const;
};

struct SiteListResult {
    // Set only when `faults` is empty.
    std::optional<SiteList> sites;
    std::vector<SiteFault> faults;
};

// The site list in `csv`, UTF-8 text with a header row, or every fault found
// in it; `name` names the file in them.
SiteListResult readSiteList(const QByteArray& csv, const QString& name);
// readSiteList() of what `device` holds from where it stands to its end.
SiteListResult loadSiteList(QIODevice& device, const QString& name);
// readSiteList() of the file at `path`.
SiteListResult loadSiteList(const QString& path);

struct Placeholder {
    QString name;
    // The text that holds it, as "phonebook[12].note".
    QString path;
    bool operator==(const Placeholder&) const = default;
};

struct SiteProfileResult {
    // Set only when `faults` is empty: it passed readProfile() and
    // checkProfile().
    std::optional<UnitProfile> profile;
    std::vector<SiteFault> faults;
};

struct SiteTemplateResult;

class SiteTemplate {
public:
    // The template in `document`, a profile file whose texts may hold
    // placeholders, used with `sites` (null without a site list). Refused
    // are placeholders out of place or malformed, a document that is no
    // profile with its placeholders left empty, settings that no unit takes
    // whatever fills them, and a template and list that do not match: a
    // placeholder without a column, a column without a placeholder (other
    // than the label columns), placeholders without a site list.
    static SiteTemplateResult read(const QByteArray& document, const QString& name,
                                   const SiteList* sites);

    // In the order of the document.
    const std::vector<Placeholder>& placeholders() const { return placeholders_; }

    // The profile for a unit that gets `row` of the site list, or for any
    // unit when `row` is null (a template used without a site list). Faults
    // are placed at the row's line, or at the template without a row.
    SiteProfileResult fill(const SiteRow* row) const;

private:
    SiteTemplate() = default;

    // A text of the document that holds placeholders: where its JSON string
    // stands, quotes included, and the text it holds.
    struct Literal {
        qsizetype start = 0;
        qsizetype end = 0;
        QString text;
    };

    // The document with each placeholder replaced by `row`'s value, or by
    // nothing when `row` is null.
    QByteArray filledDocument(const SiteRow* row) const;

    QByteArray document_;
    QString name_;
    QString sitesName_;
    std::vector<Literal> literals_;
    std::vector<Placeholder> placeholders_;
    // The site list's column of each placeholder's name.
    QHash<QString, qsizetype> columnOf_;
};

struct SiteTemplateResult {
    // Set only when `faults` is empty.
    std::optional<SiteTemplate> siteTemplate;
    std::vector<SiteFault> faults;
};

// Hands out the rows of a site list to units as they arrive: a unit gets the
// row with its serial number, or else the next row without one that no unit
// has taken, in the list's order. A unit that comes back gets its row again;
// a unit without a serial number is never recognised and takes a new row.
class SiteAssigner {
public:
    // `sites` null: there is no list, and units get no row.
    explicit SiteAssigner(const SiteList* sites);

    struct Assignment {
        // Null without a site list or with a fault; points into the
        // assigner's copy of the list.
        const SiteRow* row = nullptr;
        std::optional<SiteFault> fault;
    };
    // The row for the unit with serial number `serial` that has arrived.
    Assignment assign(const QString& serial);

private:
    std::optional<SiteList> sites_;
    // The next row without a serial number that may be free.
    std::size_t next_ = 0;
    // The row of each serial number: the list's own, and the rows without
    // one that units took.
    QHash<QString, std::size_t> rowOf_;
};

}  // namespace profile
