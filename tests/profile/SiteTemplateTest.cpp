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
