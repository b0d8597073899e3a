// Templates and site lists: the CSV rules, where placeholders may stand, how
// a template and a list must match, filling a row, and handing out rows.

#include "profile/SiteTemplate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace profile;

namespace {

std::vector<std::string> faultTexts(const std::vector<SiteFault>& faults) {
    std::vector<std::string> texts;
    for (const SiteFault& fault : faults) {
        texts.push_back(fault.text().toStdString());
    }
    return texts;
}

SiteList siteList(const QByteArray& csv) {
    SiteListResult result = readSiteList(csv, QStringLiteral("sites.csv"));
    EXPECT_EQ(faultTexts(result.faults), std::vector<std::string>{});
    return result.sites.value_or(SiteList{});
}

// A GSM number, two SMS texts and the relay; `change` may alter it.
QByteArray templateDocument(void (*change)(UnitProfile&) = nullptr) {
    UnitProfile p;
    p.gsmNumbers = {u"+{{number}}", u"", u"", u"", u"", u""};
    p.smsTexts = {u"{{site}}: {{text}}", u"Kvar", u"", u"", u"", u"", u"", u"", u"", u""};
    p.relayPulseTime = 25;
    if (change != nullptr) {
        change(p);
    }
    return writeProfile(p);
}

const QByteArray Sites = "site,number,text\nKula-3,1,a\n";

}  // namespace

TEST(SiteTemplate, ReadsSiteListsByTheCsvRules) {
    struct Case {
        QByteArray csv;
        // The columns and each row's line, serial and values; or the faults.
        std::string expected;
    };
    const Case cases[] = {
        {"serial,n\n A1 ,\"1,2\"\n", "serial,n / 2 A1:  A1 |1,2"},
        {"\xEF\xBB\xBF n ,m\r\n\"a\"\"b\",\r\n \r\n\"x\r\ny\",\xC4\x8D",
         "n,m / 2 : a\"b| / 4 : x\r\ny|č"},
        {"a,b\nx,y\nx\n", "sites.csv:3: the row has 1 field, the header 2"},
        {"a,b\nx,y,\n", "sites.csv:2: the row has 3 fields, the header 2"},
        {"a,b, a\nx,y,z\n", "sites.csv:1: the column \"a\" is given twice (columns 1 and 3)"},
        {"a,,b\n1,2,3\n", "sites.csv:1: column 2 has no name"},
        {"_a-1,A,a\n1,2,3\n", "_a-1,A,a / 2 : 1|2|3"},
        {"a,-a\n1,2\n",
         "sites.csv:1: \"-a\" is not a column name: letters, digits, \"_\" and \"-\", "
         "starting with a letter or \"_\""},
        {"serial,n\nA1,1\n,2\n,3\nA1 ,4\n",
         "sites.csv:5: the serial number \"A1\" is also on line 2"},
        {"n\n\xC4\x8D\n\xC4\n", "sites.csv:3: not valid UTF-8"},
        {"n\n\n", "sites.csv:1: no rows below the header"},
        {"", "sites.csv:1: the file is empty"},
        {"n\n\"a\"b\n", "sites.csv:2: text after a quoted field's closing quote"},
        {"n\nx\n\"a\n\n", "sites.csv:3: a quoted field has no closing quote"},
    };
    for (const Case& c : cases) {
        const SiteListResult result = readSiteList(c.csv, QStringLiteral("sites.csv"));
        QStringList shown;
        for (const SiteFault& fault : result.faults) {
            shown += fault.text();
        }
        if (result.sites) {
            shown += result.sites->columns.join(',');
            for (const SiteRow& row : result.sites->rows) {
                shown +=
                    QStringLiteral("%1 %2: %3").arg(row.line).arg(row.serial, row.values.join('|'));
            }
        }
        EXPECT_EQ(shown.join(" / ").toStdString(), c.expected) << c.csv.toStdString();
    }

    QByteArray atLimit = "n\n" + QByteArray(MaxSiteListFileSize - 3, 'x') + "\n";
    EXPECT_TRUE(readSiteList(atLimit, QStringLiteral("sites.csv")).sites);
    EXPECT_EQ(
        faultTexts(readSiteList(atLimit + "x", QStringLiteral("sites.csv")).faults),
        std::vector<std::string>{"sites.csv: the file is 1048577 bytes long, more than a site "
                                 "list can be (1048576 bytes)"});
}

TEST(SiteTemplate, PlaceholdersStandOnlyInSiteTextsAndMatchTheColumns) {
    const QByteArray header = R"({"format": "brevalon-mini-setup-profile", "version": 1, )";
    const char* outOfPlace =
        "a placeholder may stand only in gsmNumbers, smsTexts and a phonebook record's number and "
        "note";
    struct Case {
        QByteArray document;
        const char* csv;  // null: no site list
        std::vector<std::string> faults;
    };
    const Case cases[] = {
        {templateDocument(), Sites.constData(), {}},
        {templateDocument([](UnitProfile& p) {
             p.phonebook.emplace();
             (*p.phonebook)[12] = {u"{{number}}", u"{{text}}", true};
         }),
         Sites.constData(),
         {}},
        {templateDocument([](UnitProfile& p) { p.firmware = u"{{text}}"; }),
         Sites.constData(),
         {std::string("unit.json: firmware: ") + outOfPlace}},
        {header + R"("serial": "{{text}}"})",
         Sites.constData(),
         {std::string("unit.json: serial: ") + outOfPlace}},
        {header + R"("relayPulseTime": "{{text}}"})",
         Sites.constData(),
         {std::string("unit.json: relayPulseTime: ") + outOfPlace}},
        {header + R"("{{text}}": 1})",
         Sites.constData(),
         {"unit.json: {{text}}: a key cannot hold a placeholder"}},
        {templateDocument([](UnitProfile& p) { (*p.smsTexts)[1] = u"{{text}"; }),
         Sites.constData(),
         {R"(unit.json: smsTexts[1]: a placeholder's "{{" has no "}}")"}},
        {templateDocument([](UnitProfile& p) { (*p.smsTexts)[1] = u"{{1a}}"; }),
         Sites.constData(),
         {R"(unit.json: smsTexts[1]: "{{1a}}" is not a placeholder: its name must be letters, )"
          R"(digits, "_" and "-", starting with a letter or "_")"}},
        {"{", nullptr, {"unit.json: malformed JSON at line 1, column 2: unterminated object"}},
        // What no row can mend is refused at once; "+" alone waits for its number.
        {templateDocument([](UnitProfile& p) { p.relayPulseTime = 0; }),
         Sites.constData(),
         {"unit.json: relayPulseTime: 0 is outside 1 to 250"}},
        {templateDocument(),
         "site,numbers,text,serial,extra\n1,2,3,4,5\n",
         {"sites.csv:1: no column for {{number}}, which unit.json holds in gsmNumbers[0]",
          R"(sites.csv:1: the column "numbers" fills no placeholder of unit.json)",
          R"(sites.csv:1: the column "extra" fills no placeholder of unit.json)"}},
        {templateDocument([](UnitProfile& p) { (*p.smsTexts)[0] = u"{{text}} {{number}}"; }),
         "serial,site,number,text\n1,2,3,4\n",
         {}},
        {templateDocument(),
         nullptr,
         {"unit.json: gsmNumbers[0]: {{number}} needs a site list to fill it",
          "unit.json: smsTexts[0]: {{site}} needs a site list to fill it",
          "unit.json: smsTexts[0]: {{text}} needs a site list to fill it"}},
    };
    for (const Case& c : cases) {
        std::optional<SiteList> sites;
        if (c.csv != nullptr) {
            sites = siteList(c.csv);
        }
        const SiteTemplateResult result =
            SiteTemplate::read(c.document, QStringLiteral("unit.json"), sites ? &*sites : nullptr);
        EXPECT_EQ(faultTexts(result.faults), c.faults) << c.document.toStdString();
        EXPECT_EQ(result.siteTemplate.has_value(), c.faults.empty());
    }

    const SiteList sites = siteList(Sites);
    const std::vector<Placeholder> expected{
        {"number", "gsmNumbers[0]"}, {"site", "smsTexts[0]"}, {"text", "smsTexts[0]"}};
    EXPECT_EQ(
        SiteTemplate::read(templateDocument(), "unit.json", &sites).siteTemplate->placeholders(),
        expected);
}

// A value is text wherever it lands: quotes, backslashes and non-ASCII stay
// what they are, and the profile's rules apply to the filled text.
TEST(SiteTemplate, FillsEachRowAndChecksTheResult) {
    const SiteList sites = siteList(
        "site,number,text\n"
        "Kula-3,38164123456789,\"a\"\"b\\c \xC3\xA9\"\n"
        "K2,381641234567890,x\n"
        "K3,1,\xC4\x8D\n"
        "K4,1,\"\"\", \"\"x\"\": \"\"\"\n");
    const std::optional<SiteTemplate> filled =
        SiteTemplate::read(templateDocument(), "unit.json", &sites).siteTemplate;
    ASSERT_TRUE(filled);
    const struct {
        std::u16string gsmNumber;
        std::u16string smsText;
        const char* fault;
    } expected[] = {
        {u"+38164123456789", u"Kula-3: a\"b\\c \u00E9", nullptr},
        {u"", u"", "sites.csv:3: gsmNumbers[0]: 16 characters, more than the 15 the unit takes"},
        {u"", u"", "sites.csv:4: smsTexts[0]: \"\u010D\" cannot be sent to the unit"},
        {u"+1", u"K4: \", \"x\": \"", nullptr},
    };
    ASSERT_EQ(sites.rows.size(), std::size(expected));
    for (std::size_t i = 0; i < sites.rows.size(); ++i) {
        const SiteProfileResult result = filled->fill(&sites.rows[i]);
        if (expected[i].fault != nullptr) {
            EXPECT_EQ(faultTexts(result.faults), std::vector<std::string>{expected[i].fault});
            continue;
        }
        ASSERT_TRUE(result.profile) << faultTexts(result.faults).front();
        EXPECT_TRUE((*result.profile->gsmNumbers)[0] == expected[i].gsmNumber);
        EXPECT_TRUE((*result.profile->smsTexts)[0] == expected[i].smsText);
        EXPECT_TRUE((*result.profile->smsTexts)[1] == u"Kvar");
    }

    // Without placeholders and a list, the template is the profile.
    UnitProfile plain;
    plain.callFunction = true;
    const SiteProfileResult same =
        SiteTemplate::read(writeProfile(plain), "unit.json", nullptr).siteTemplate->fill(nullptr);
    EXPECT_TRUE(same.profile == plain);
}

TEST(SiteTemplate, HandsOutRowsBySerialNumberThenInOrder) {
    const SiteList sites = siteList("serial,site\n,Kula-1\nB7,Kula-2\n,\nX,Kula-4\n");
    SiteAssigner assigner(&sites);
    const std::pair<const char*, const char*> arrivals[] = {
        {"X", "Kula-4"},
        {"Y", "Kula-1"},
        {"B7", "Kula-2"},
        {"Y", "Kula-1"},
        {"", "sites.csv:4"},
        {"Z", "sites.csv: every row without a serial number is taken (lines 2, 4)"},
        {"", "sites.csv: every row without a serial number is taken (lines 2, 4)"},
        {"Y", "Kula-1"},
        {"B7", "Kula-2"},
    };
    for (const auto& [serial, expected] : arrivals) {
        const SiteAssigner::Assignment given = assigner.assign(QString::fromLatin1(serial));
        const QString shown = given.row ? sites.label(*given.row) : given.fault->text();
        EXPECT_EQ(shown.toStdString(), expected) << serial;
    }

    const SiteList serialsOnly = siteList("serial\nA\n");
    EXPECT_EQ(SiteAssigner(&serialsOnly).assign("B").fault->text().toStdString(),
              R"(sites.csv: no row has the serial number "B", and every row has one)");
    const SiteAssigner::Assignment none = SiteAssigner(nullptr).assign("A");
    EXPECT_TRUE(none.row == nullptr && !none.fault);
}
