// brevalon-cli provision in this process: units present at the start and
// plugged in during the run, several at once, and the faults of one unit that
// leave the others be.

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include "CliUnits.h"

namespace {

QStringList outputLines(const std::string& out) {
    return QString::fromStdString(out).split(u'\n', Qt::SkipEmptyParts);
}

// A profile of a demo unit with one GSM number of its own.
QString demoProfile(const QTemporaryDir& dir) {
    Units source(1);
    source.unit(0).setGsmNumber(0, "0601111111");
    const QString path = dir.filePath("profile.json");
    EXPECT_EQ(source.run({"read-profile", path}).exit, cli::Done);
    return path;
}

TEST(ProvisionTest, EachUnitIsProvisionedOnceEachTimeItIsPluggedIn) {
    QTemporaryDir dir;
    const QString profile = demoProfile(dir);
    const QString report = dir.filePath("report.jsonl");
    Units units(1);
    units.unit(0).behaviour().latencyMs = 1;
    // The first unit comes back with its memory cleared, after the station
    // has seen it go.
    const auto replugFirst = [&] {
        units.devices[0]->unplug();
        units.unit(0).format();
        QTimer::singleShot(100, [&] { units.devices[0]->plug(); });
    };
    std::size_t seen = 0;
    const Outcome run = units.run({"provision", profile, "--count", "3", "--report", report}, false,
                                  {}, [&](const QByteArray& out) {
                                      const auto lines = out.count('\n');
                                      if (lines == 1 && seen == 0) {
                                          units.devices.push_back(std::make_unique<SimUnitDevice>(
                                              units.platform, "BRV8-000002"));
                                          units.unit(1).behaviour().latencyMs = 1;
                                      } else if (lines == 2 && seen == 1) {
                                          replugFirst();
                                      }
                                      seen = static_cast<std::size_t>(lines);
                                  });
    EXPECT_EQ(run.exit, cli::Done) << run.err;
    const QStringList lines = outputLines(run.out);
    ASSERT_EQ(lines.size(), 3) << run.out;
    const QRegularExpression pass("^PASS (BRV8-00000[12]) [0-9]+\\.[0-9] s$");
    QStringList serials;
    for (const QString& line : lines) {
        const auto match = pass.match(line);
        EXPECT_TRUE(match.hasMatch()) << line.toStdString();
        serials << match.captured(1);
    }
    EXPECT_EQ(serials, QStringList({"BRV8-000001", "BRV8-000002", "BRV8-000001"}));
    EXPECT_EQ(memoryOf(units.unit(0)), memoryOf(units.unit(1)));
    EXPECT_EQ(units.unit(1).gsmNumber(0), "0601111111");

    const QStringList reported = QString::fromUtf8(readFile(report)).split(u'\n');
    ASSERT_EQ(reported.size(), 4);
    EXPECT_TRUE(reported[3].isEmpty());
    for (qsizetype k = 0; k < 3; ++k) {
        EXPECT_TRUE(reported[k].contains(QRegularExpression(
            "\"backup\":\"[0-9]{8}-[0-9]{6}-before-profile-write(-[0-9]+)?\\.json\".*"
            "\"result\":\"PASS\".*\"serial\":\"" +
            serials[k] + "\"")))
            << reported[k].toStdString();
    }
}

TEST(ProvisionTest, AFaultEndsOnlyTheUnitItHappensTo) {
    QTemporaryDir dir;
    const QString profile = demoProfile(dir);
    struct Case {
        const char* name;
        std::function<void(Units&)> setup;
        int exit;
        QStringList lines;  // sorted
    };
    const std::vector<Case> cases{
        {"one leaves, one never acknowledges",
         [](Units& u) {
             u.unit(1).behaviour().unplugAtRequest = 60;
             u.unit(2).behaviour().neverAcknowledge = true;
         },
         cli::NotAnswering,
         {"FAIL BRV8-000002 the unit left while writing phonebook[38]",
          "FAIL BRV8-000003 gsmNumbers[0] sent but not acknowledged", "PASS BRV8-000001"}},
        {"two share a serial number",
         [](Units& u) {
             u.devices.back()->unplug();
             u.devices.push_back(
                 std::make_unique<SimUnitDevice>(u.platform, "BRV8-000001", 2, "2"));
         },
         cli::Differs,
         {"FAIL BRV8-000001 another unit present has the serial number \"BRV8-000001\"",
          "FAIL BRV8-000001 another unit present has the serial number \"BRV8-000001\"",
          "PASS BRV8-000002"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Units units(3);
        c.setup(units);
        for (auto& device : units.devices) {
            device->unit().behaviour().latencyMs = 1;
        }
        const Outcome run = units.run({"--no-backup", "provision", profile, "--count", "3"});
        EXPECT_EQ(run.exit, c.exit) << run.err;
        QStringList lines = outputLines(run.out);
        lines.sort();
        ASSERT_EQ(lines.size(), c.lines.size()) << run.out;
        for (qsizetype k = 0; k < lines.size(); ++k) {
            EXPECT_TRUE(lines[k].startsWith(c.lines[k]) && !lines[k].contains(u'\n'))
                << lines[k].toStdString();
        }
    }
}

// Nine units at once for eight rows: the row named by a serial number goes to
// its unit, the others in order of arrival; an over-long number fails its
// unit only, and the unit left over finds every row taken.
TEST(ProvisionTest, EachUnitGetsItsRowOfTheSiteList) {
    QTemporaryDir dir;
    QByteArray document = readFile(demoProfile(dir));
    document.replace("\"0601111111\"", "\"{{alarm}}\"");
    const QString templ = dir.filePath("template.json");
    ASSERT_TRUE(writeFile(templ, document));
    QByteArray csv = "site,serial,alarm\r\nS5,BRV8-000005,0605\r\n";
    for (const char* row : {"Sa,,0611", "Sb,,0612", "Sc,,0613", "\"S,d\",,0614", "Se,,0615",
                            "Sf,,0616", "Sbad,,0607123456789012345"}) {
        csv += QByteArray(row) + "\r\n";
    }
    const QString sites = dir.filePath("sites.csv");
    ASSERT_TRUE(writeFile(sites, csv));
    Units units(9);
    for (auto& device : units.devices) {
        device->unit().behaviour().latencyMs = 1;
    }
    const Outcome run =
        units.run({"--no-backup", "provision", templ, "--sites", sites, "--count", "9"});
    EXPECT_EQ(run.exit, cli::Differs) << run.err;
    const QStringList lines = outputLines(run.out);
    ASSERT_EQ(lines.size(), 9) << run.out;
    const QRegularExpression pass("^PASS (BRV8-00000[1-9]) site=(S5|Sa|Sb|Sc|S,d|Se|Sf) ");
    QStringList fails;
    QStringList sitesPassed;
    QByteArray memory;
    for (const QString& line : lines) {
        const auto match = pass.match(line);
        if (!match.hasMatch()) {
            fails << line.section(u' ', 2);
            continue;
        }
        const std::size_t k = match.captured(1).right(1).toUInt() - 1;
        const QString site = match.captured(2);
        sitesPassed << site;
        const std::string alarm =
            site == u"S5"
                ? "0605"
                : "061" + std::to_string(site == u"S,d" ? 4 : site[1].unicode() - 'a' + 1);
        EXPECT_EQ(units.unit(k).gsmNumber(0), alarm) << line.toStdString();
        if (site == u"S5") {
            EXPECT_EQ(k, 4u);
        }
        // Apart from its number, each unit holds the template.
        units.unit(k).setGsmNumber(0, "0");
        if (memory.isEmpty()) {
            memory = memoryOf(units.unit(k));
        }
        EXPECT_EQ(memoryOf(units.unit(k)), memory);
    }
    sitesPassed.sort();
    EXPECT_EQ(sitesPassed, QStringList({"S,d", "S5", "Sa", "Sb", "Sc", "Se", "Sf"}));
    fails.sort();
    // The list is named as the system writes paths.
    const QString list = QDir::toNativeSeparators(sites);
    EXPECT_EQ(fails, QStringList({list + ": every row without a serial number is taken (lines 3-9)",
                                  "site=Sbad " + list +
                                      ":9: gsmNumbers[0]: 19 characters, more than the 15 the unit "
                                      "takes"}));
}

}  // namespace
