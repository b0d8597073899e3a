// brevalon-cli run in this process on a simulated platform, through the whole
// stack (HID controller, reader thread, event-loop waits), and once as a
// program of its own with --simulate.

#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CliUnits.h"
#include "MonitorLines.h"
#include "link/UnitAccess.h"
#include "sim/SimDevices.h"
#include "sim/SimHidPlatform.h"

namespace {

const QByteArray ProfileHeader = "{\n  \"format\": \"brevalon-mini-setup-profile\",\n";

TEST(CliTest, ADemoUnitSavedWrittenToAnotherAndItsMemoryReadBackIsTheSame) {
    QTemporaryDir dir;
    const QString profile = dir.filePath("demo.json");
    Units units(2);
    units.unit(1).format();
    units.unit(1).setGsmNumber(0, "0601234567");
    units.unit(1).setPhonebookRecord(50, {"0609999999", "Stari", 1});

    const Outcome read = units.run({"--unit", "BRV8-000001", "read-profile", profile}, true);
    EXPECT_EQ(read.exit, cli::Done) << read.err;
    EXPECT_TRUE(readFile(profile).startsWith(ProfileHeader));
    EXPECT_NE(read.err.find("\rreading phonebook 100/100"), std::string::npos);
    EXPECT_EQ(read.err.back(), '\r');

    const QString trace = dir.filePath("trace.txt");
    const Outcome write = units.run(
        {"--trace", trace, "--no-backup", "--unit", "BRV8-000002", "write-profile", profile});
    EXPECT_EQ(write.exit, cli::Done) << write.err;
    EXPECT_EQ(write.out.substr(0, 50), "gsmNumbers: written and confirmed by reading back\n");
    EXPECT_NE(write.out.find("phonebook: written and confirmed by reading back\n"),
              std::string::npos);
    EXPECT_EQ(memoryOf(units.unit(1)), memoryOf(units.unit(0)));
    const QStringList lines = QString::fromLatin1(readFile(trace)).split(u'\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(QRegularExpression(
        "^[0-9]+\\.[0-9]{3} > 00 53 4E 00 2B 33 38 31 36 34 31 32 33 34 35 36 37 00 00")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QRegularExpression("^[0-9]+\\.[0-9]{3} < 00 53 4E 00 00")))
        << lines[1].toStdString();

    const QString image = dir.filePath("memory.bin");
    EXPECT_EQ(units.run({"--unit", "BRV8-000002", "read-memory", image}).exit, cli::Done);
    EXPECT_EQ(readFile(image), memoryOf(units.unit(0)));
    const Outcome toOutput = units.run({"--unit", "BRV8-000001", "read-profile", "-"});
    EXPECT_EQ(QByteArray::fromStdString(toOutput.out), readFile(profile));
}

TEST(CliTest, EachOutcomeHasItsExitStatusAndMessage) {
    QTemporaryDir dir;
    const auto file = [&](const char* name, const QByteArray& content) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(writeFile(path, content));
        return path;
    };
    const QString demo = dir.filePath("demo.json");
    ASSERT_EQ(Units(1).run({"read-profile", demo}).exit, cli::Done);
    const QString callOff = file("off.json", ProfileHeader +
                                                 "  \"version\": 1,\n"
                                                 "  \"callFunction\": false\n}\n");
    const QString callOn = file("on.json", ProfileHeader +
                                               "  \"version\": 1,\n"
                                               "  \"callFunction\": true\n}\n");
    const QString malformed = file("bad.json", ProfileHeader + "  \"version\": 1,\n}\n");
    const QString newer = file("v2.json", ProfileHeader + "  \"version\": 2\n}\n");
    const QString unknownKey = file("key.json", ProfileHeader +
                                                    "  \"version\": 1,\n"
                                                    "  \"gsmNumber\": []\n}\n");
    const QString nowhere = dir.filePath("missing/x");
    const QString empty = file("empty.json", "");
    const QString firmwareOnly = file("firmware.json", ProfileHeader +
                                                           "  \"version\": 1,\n"
                                                           "  \"firmware\": \"BRV8\"\n}\n");
    const QString placeholder =
        file("tpl.json", ProfileHeader +
                             "  \"version\": 1,\n"
                             "  \"gsmNumbers\": [\"{{a}}\", \"\", \"\", \"\", \"\", \"\"]\n}\n");
    const QString pulseZero = file("pulse.json", ProfileHeader +
                                                     "  \"version\": 1,\n"
                                                     "  \"relayPulseTime\": 0\n}\n");

    struct Case {
        int units;
        std::function<void(Units&)> setup;
        QStringList arguments;
        int exit;
        std::string out;  // the whole standard output
        std::string err;  // found in the standard error
        bool sends;
    };
    const auto none = [](Units&) {};
    const std::vector<Case> cases{
        {1, none, {}, cli::UsageError, "", "brevalon-cli: no command given\nUsage: ", false},
        {1, none, {"--bogus", "info"}, cli::UsageError, "", "unknown option --bogus\n", false},
        {1, none, {"info", "x"}, cli::UsageError, "", "unexpected argument x\n", false},
        {1, none, {"read-profile"}, cli::UsageError, "", "read-profile needs a FILE\n", false},
        {1, none, {"--simulate=17", "info"}, cli::UsageError, "", "N from 0 to 16\n", false},
        {1,
         none,
         {"monitor", "--interval", "49"},
         cli::UsageError,
         "",
         "--interval takes MS from 50 to 60000\n",
         false},
        {1, none, {"monitor", "--interval", "60001"}, cli::UsageError, "", "from 50 to", false},
        {1, none, {"monitor", "--samples", "0"}, cli::UsageError, "", "N of 1 or more\n", false},
        {1, none, {"monitor", "--duration"}, cli::UsageError, "", "--duration takes", false},
        {1, none, {"status", "--samples", "5"}, cli::UsageError, "", "unknown option", false},
        {0,
         none,
         {"monitor", dir.filePath("none.csv")},
         cli::NoUnit,
         "",
         "no unit is present\n",
         false},
        {1, none, {"monitor", nowhere}, cli::UsageError, "", "cannot write the samples to", false},
        {1, none, {"info", "--unit"}, cli::UsageError, "", "--unit takes one value", false},
        {1,
         none,
         {"write-profile", malformed},
         cli::UsageError,
         "",
         "is refused:\n  malformed JSON at line 4, column 2: object is missing after a comma\n",
         false},
        {1,
         none,
         {"verify-profile", newer},
         cli::UsageError,
         "",
         "  version: 2 is newer than version 1, the one this program reads\n",
         false},
        {1,
         none,
         {"write-profile", unknownKey},
         cli::UsageError,
         "",
         "  gsmNumber: unknown key\n",
         false},
        {1, none, {"write-profile", nowhere}, cli::UsageError, "", "cannot open file", false},
        {1, none, {"verify-profile", empty}, cli::UsageError, "", "  the file is empty\n", false},
        {1,
         none,
         {"write-profile", firmwareOnly},
         cli::UsageError,
         "",
         "is refused:\n  the profile holds no settings\n",
         false},
        {1,
         none,
         {"verify-profile", firmwareOnly},
         cli::UsageError,
         "",
         "is refused:\n  the profile holds no settings\n",
         false},
        {1,
         none,
         {"write-profile", pulseZero},
         cli::UsageError,
         "",
         "is refused:\n  relayPulseTime: 0 is outside 1 to 250\n",
         false},
        {1,
         none,
         {"verify-profile", pulseZero},
         cli::Differs,
         "relayPulseTime: unit 10, file 0\n",
         "the unit differs from the profile in 1 value\n",
         true},
        {1, none, {"read-memory", nowhere}, cli::UsageError, "", "cannot create file", false},
        {1,
         none,
         {"--trace", nowhere, "info"},
         cli::UsageError,
         "",
         "cannot write the trace",
         false},
        {0, none, {"info"}, cli::NoUnit, "", "brevalon-cli: no unit is present\n", false},
        {2,
         none,
         {"info"},
         cli::NoUnit,
         "",
         "2 units are present; pick one with --unit SERIAL\n  BRV8-000001\tBrevalon 8\t",
         false},
        {2,
         none,
         {"--unit", "BRV8-000003", "status"},
         cli::NoUnit,
         "",
         "no unit with serial number BRV8-000003 is present\n  BRV8-000001\t",
         false},
        {0,
         [](Units& u) {
             SimDeviceDescription unit = keyboardDevice("/dev/hidraw7", "Brevalon 8");
             unit.queryOnly = true;
             u.platform.plug(unit);
         },
         {"info"},
         cli::NoUnit,
         "",
         noAccessMessage(QStringLiteral("Brevalon 8")).toStdString(),
         false},
        {1,
         [](Units& u) {
             u.devices.push_back(
                 std::make_unique<SimUnitDevice>(u.platform, "BRV8-000001", 2, "2"));
         },
         {"--unit", "BRV8-000001", "info"},
         cli::NoUnit,
         "",
         "2 units with the serial number \"BRV8-000001\" cannot be told apart by --unit: "
         "\\\\?\\hid#vid_",
         false},
        {0,
         [](Units& u) {
             for (const char* port : {"1", "2"}) {
                 u.devices.push_back(std::make_unique<SimUnitDevice>(u.platform, "", 1, port));
             }
         },
         {"--unit", "", "info"},
         cli::NoUnit,
         "",
         "2 units without a serial number cannot be told apart by --unit",
         false},
        {1,
         [](Units& u) {
             u.devices.push_back(
                 std::make_unique<SimUnitDevice>(u.platform, "BRV8-000001", 2, "2"));
         },
         {"--path",
          "\\\\?\\hid#vid_B8E0&pid_0008#BRV8-000001&2#{4d1e55b2-f16f-11cf-88cb-001111000030}",
          "info"},
         cli::Done,
         "firmware: BRV8 FW 3.02 02.12.2016\nserial: BRV8-000001\n",
         "",
         true},
        {1,
         none,
         {"--path", "/dev/hidraw9", "info"},
         cli::NoUnit,
         "",
         "no unit with the device path /dev/hidraw9 is present\n  BRV8-000001\t",
         false},
        {2,
         none,
         {"--unit", "BRV8-000002", "info"},
         cli::Done,
         "firmware: BRV8 FW 3.02 02.12.2016\nserial: BRV8-000002\n",
         "",
         true},
        {1,
         none,
         {"verify-profile", callOff},
         cli::Differs,
         "callFunction: unit true, file false\n",
         "the unit differs from the profile in 1 value\n",
         true},
        {1, none, {"verify-profile", callOn}, cli::Done, "", "", true},
        {1,
         [](Units& u) { u.unit(0).behaviour().unplugAtRequest = 50; },
         {"read-profile", dir.filePath("cut.json")},
         cli::NotAnswering,
         "",
         "brevalon-cli: the unit left while reading phonebook[27]; nothing was saved\n",
         true},
        {1,
         [](Units& u) { u.unit(0).behaviour().unplugAtRequest = 60; },
         {"--no-backup", "write-profile", demo},
         cli::NotAnswering,
         "",
         "the unit left while writing phonebook[38]; the unit now holds:\n"
         "  gsmNumbers: written and acknowledged, not confirmed by reading back\n",
         true},
        {1,
         [](Units& u) { u.unit(0).behaviour().dropNthReply = 5; },
         {"--no-backup", "write-profile", demo},
         cli::NotAnswering,
         "",
         "  gsmNumbers: gsmNumbers[0] to gsmNumbers[3] written; gsmNumbers[4] sent but not "
         "acknowledged; gsmNumbers[5] not written\n  smsTexts: not written\n",
         true},
        {2,
         [](Units& u) { u.unit(1).behaviour().unplugAtRequest = 1; },
         {"--all", "info"},
         cli::NotAnswering,
         "BRV8-000001\tfirmware: BRV8 FW 3.02 02.12.2016\nBRV8-000001\tserial: BRV8-000001\n",
         "brevalon-cli: BRV8-000002: the unit left while reading firmware\n",
         true},
        {1, none, {"--all", "monitor"}, cli::UsageError, "", "not an option of monitor", false},
        {1, none, {"provision"}, cli::UsageError, "", "provision needs a PROFILE\n", false},
        {1, none, {"provision", demo, "--count", "0"}, cli::UsageError, "", "N of 1 or", false},
        {1,
         none,
         {"provision", placeholder},
         cli::UsageError,
         "",
         "is refused:\n  tpl.json: gsmNumbers[0]: {{a}} needs a site list to fill it\n",
         false},
        {1, none, {"restore", "latest", "--all"}, cli::UsageError, "", "not an option of", false},
        {1, none, {"--all", "--unit", "BRV8-000001", "info"}, cli::UsageError, "", "--unit", false},
        {1, none, {"--all", "read-memory", "-"}, cli::UsageError, "", "needs a folder", false},
        {0, none, {"--all", "status"}, cli::NoUnit, "", "no unit is present\n", false},
        {2,
         [](Units& u) {
             u.devices.push_back(std::make_unique<SimUnitDevice>(u.platform, "", 1, "3"));
         },
         {"--all", "info"},
         cli::NoUnit,
         "",
         "a unit without a serial number cannot be told apart by --unit: \\\\?\\hid#",
         false},
        {1,
         [](Units& u) {
             u.devices.push_back(
                 std::make_unique<SimUnitDevice>(u.platform, "BRV8-000001", 2, "2"));
         },
         {"--all", "status"},
         cli::NoUnit,
         "",
         "2 units with the serial number \"BRV8-000001\" cannot be told apart",
         false},
        {1,
         [](Units& u) { u.unit(0).behaviour().unplugAtRequest = 1; },
         {"status"},
         cli::NotAnswering,
         "",
         "brevalon-cli: the unit left while reading its status\n",
         true},
    };
    for (const Case& c : cases) {
        const std::string name = c.arguments.join(u' ').toStdString();
        SCOPED_TRACE(name);
        Units units(c.units);
        c.setup(units);
        const Outcome run = units.run(c.arguments);
        EXPECT_EQ(run.exit, c.exit);
        EXPECT_EQ(run.out, c.out);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(units.requestsSent() > 0, c.sends);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("cut.json")));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.csv")));
}

// Each reply's values in their columns, whatever the unit holds: a negative
// value, a state byte that is not 1, counters at their ends.
TEST(CliTest, MonitorWritesTheHeaderAndOneLinePerReply) {
    Units units(1);
    UnitLiveValues& live = units.unit(0).live();
    live.signalLevel = 2;
    live.rssi = 9;
    live.networkState = 5;
    live.inputs = {7, 0, 255};
    live.relay = 1;
    live.fixedRaw = {std::uint16_t{100}, std::uint16_t{4095}};
    live.smsSent = 3;
    live.smsReceived = 65535;
    units.unit(0).setCalibration({{244, 10000}, {-500000, 0}, {0, 0}, {0, 0}});

    const Outcome run = units.run({"monitor", "--interval", "50", "--samples", "20"}, true);
    EXPECT_EQ(run.exit, cli::Done) << run.err;
    const QStringList lines = csvLines(QByteArray::fromStdString(run.out));
    ASSERT_EQ(lines.size(), 21) << run.out;
    EXPECT_EQ(lines[0], CsvHeader);
    for (qsizetype k = 1; k < lines.size(); ++k) {
        EXPECT_TRUE(isSampleLine(lines[k])) << lines[k].toStdString();
        EXPECT_TRUE(lines[k].endsWith(QStringLiteral(",2,9,5,1,0,1,1,100,-47.5600,3,65535")))
            << lines[k].toStdString();
    }
    EXPECT_EQ(units.requestsSent(), 20u);
    EXPECT_NE(run.err.find("\r20 samples, unit present"), std::string::npos) << run.err;
}

// The unit leaves at its sixth request and is plugged in again: the run
// says so and goes on with the same unit.
TEST(CliTest, MonitorWaitsForTheUnitThatLeft) {
    QTemporaryDir dir;
    const QString path = dir.filePath("samples.csv");
    Units units(1);
    units.unit(0).behaviour().unplugAtRequest = 6;
    QTimer replug;
    QObject::connect(&replug, &QTimer::timeout, [&] {
        if (!units.devices[0]->plugged()) {
            units.devices[0]->plug();
            replug.stop();
        }
    });
    replug.start(20);

    const Outcome run = units.run({"monitor", "--interval", "50", "--samples", "12", path}, true);
    EXPECT_EQ(run.exit, cli::Done) << run.err;
    EXPECT_EQ(run.out, "");
    const std::size_t left =
        run.err.find("brevalon-cli: the unit BRV8-000001 left; waiting for it to come back\n");
    const std::size_t back = run.err.find("brevalon-cli: the unit BRV8-000001 is back\n");
    ASSERT_NE(left, std::string::npos) << run.err;
    ASSERT_NE(back, std::string::npos) << run.err;
    EXPECT_LT(left, back);
    EXPECT_NE(run.err.find("5 samples, unit absent", left), std::string::npos) << run.err;
    const QStringList lines = csvLines(readFile(path));
    ASSERT_EQ(lines.size(), 13);
    for (qsizetype k = 1; k < lines.size(); ++k) {
        EXPECT_TRUE(isSampleLine(lines[k])) << lines[k].toStdString();
    }
}

TEST(CliTest, ListsStatusAndHelpWithoutAUnitToChoose) {
    Units units(2);
    const Outcome list = units.run({"list"});
    EXPECT_EQ(list.exit, cli::Done);
    const QStringList lines = QString::fromStdString(list.out).split(u'\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], QStringLiteral("BRV8-000002\tBrevalon 8\t") +
                            QString::fromStdString(units.devices[1]->path()) +
                            QStringLiteral("\tok"));
    EXPECT_EQ(units.requestsSent(), 0u);

    units.unit(0).live().fixedRaw = {std::uint16_t{1000}, std::uint16_t{4095}};
    const Outcome status = units.run({"--unit", "BRV8-000001", "status"});
    EXPECT_EQ(status.exit, cli::Done);
    EXPECT_EQ(status.out,
              "{\n  \"gsmSignal\": 4,\n  \"rssi\": 21,\n  \"digitalInputs\": [0, 0, 0],\n"
              "  \"relay\": 0,\n  \"adRaw\": [1000, 4095],\n  \"smsSent\": 0,\n"
              "  \"smsReceived\": 0,\n  \"adValue\": [\"24.4000\", \"4095.0000\"],\n"
              "  \"phoneNumber\": \"+381641234567\",\n  \"mainState\": 2,\n"
              "  \"smsListState\": 0,\n  \"gsmInitState\": 9,\n  \"gsmLiveRemaining\": 60,\n"
              "  \"usartDataReady\": 0,\n  \"raportSmsState\": 0,\n  \"sendSmsTextState\": 0,\n"
              "  \"networkState\": 1,\n  \"callFunction\": true,\n"
              "  \"anAlarmDebounceCounter\": 0\n}\n");

    for (const QStringList& asked : {QStringList{"info", "--help"}, QStringList{"-h"},
                                     QStringList{"help"}, QStringList{"--simulate", "help"}}) {
        const Outcome help = units.run(asked);
        EXPECT_EQ(help.exit, cli::Done);
        EXPECT_EQ(help.out.substr(0, 20), "Usage: brevalon-cli ");
    }
    EXPECT_EQ(units.run({"--version"}).out.substr(0, 13), "brevalon-cli ");
}

// "-" is standard input for the commands that take a profile, as it is
// standard output for the ones that make one.
TEST(CliTest, AProfileComesFromStandardInput) {
    Units units(1);
    const Outcome read = units.run({"read-profile", "-"});
    ASSERT_EQ(read.exit, cli::Done);
    const QByteArray profile = QByteArray::fromStdString(read.out);
    EXPECT_EQ(units.run({"verify-profile", "-"}, false, profile).exit, cli::Done);
    units.unit(0).format();
    const Outcome write = units.run({"write-profile", "-"}, false, profile);
    EXPECT_EQ(write.exit, cli::Done) << write.err;
    EXPECT_EQ(units.run({"verify-profile", "-"}, false, profile).exit, cli::Done);
    const Outcome nothing = units.run({"verify-profile", "-"});
    EXPECT_EQ(nothing.exit, cli::UsageError);
    EXPECT_NE(nothing.err.find("the profile on standard input is refused:\n  the file is empty\n"),
              std::string::npos)
        << nothing.err;
}

// What write-profile and restore change is kept first; the history is
// listed, and an entry written back, from the command line.
TEST(CliTest, TheHistoryKeepsWhatAWriteChangesAndRestoresIt) {
    QTemporaryDir data;
    qputenv("BREVALON_DATA_DIR", data.path().toLocal8Bit());
    QTemporaryDir dir;
    const QString profile = dir.filePath("other.json");
    Units units(2);
    ASSERT_EQ(units.run({"--unit", "BRV8-000002", "read-profile", profile}).exit, cli::Done);
    EXPECT_TRUE(readFile(profile).contains("\n  \"serial\": \"BRV8-000002\",\n"));
    const QByteArray before = memoryOf(units.unit(0));
    units.unit(1).setGsmNumber(0, "0601234567");
    ASSERT_EQ(units.run({"--unit", "BRV8-000002", "read-profile", profile}).exit, cli::Done);

    const Outcome write = units.run({"--unit", "BRV8-000001", "write-profile", profile});
    EXPECT_EQ(write.exit, cli::Done) << write.err;
    EXPECT_NE(write.err.find("brevalon-cli: backup: "), std::string::npos) << write.err;
    const Outcome listed = units.run({"--unit", "BRV8-000001", "history"});
    const QStringList lines = QString::fromStdString(listed.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << listed.out;
    EXPECT_TRUE(QRegularExpression("^[0-9]{8}-[0-9]{6}-before-profile-write\\.json\t"
                                   "20[0-9-]{8} [0-9:]{8}\tbefore-profile-write\t"
                                   "BRV8 FW 3.02 02.12.2016$")
                    .match(lines[0])
                    .hasMatch())
        << lines[0].toStdString();
    EXPECT_EQ(units.run({"--no-backup", "--unit", "BRV8-000001", "write-profile", profile}).exit,
              cli::Done);
    EXPECT_EQ(
        QString::fromStdString(units.run({"--unit", "BRV8-000001", "history"}).out).count(u'\n'),
        1);

    const Outcome restore = units.run({"--unit", "BRV8-000001", "restore", "latest"});
    EXPECT_EQ(restore.exit, cli::Done) << restore.err;
    EXPECT_EQ(memoryOf(units.unit(0)), before);
    const Outcome all = units.run({"history", "--all"});
    EXPECT_EQ(QString::fromStdString(all.out).count(
                  QRegularExpression("^BRV8-000001\t", QRegularExpression::MultilineOption)),
              2)
        << all.out;
    EXPECT_TRUE(QString::fromStdString(all.out).contains(
        QRegularExpression("-before-restore(-[0-9]+)?\\.json\t")))
        << all.out;

    const struct {
        QStringList arguments;
        int exit;
        std::string err;
    } refusals[] = {
        {{"--unit", "BRV8-000001", "restore", "20000101-000000-saved.json"},
         cli::UsageError,
         "the unit BRV8-000001 has no history entry 20000101-000000-saved.json; see history"},
        {{"--unit", "BRV8-000001", "restore"}, cli::UsageError, "restore needs an ENTRY"},
        {{"--unit", "BRV8-000009", "history"}, cli::Done, ""},
    };
    for (const auto& c : refusals) {
        const Outcome run = units.run(c.arguments);
        EXPECT_EQ(run.exit, c.exit) << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }

    // A history that cannot be written stops the write before anything is sent.
    QFile blocker(dir.filePath("a-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("BREVALON_DATA_DIR", blocker.fileName().toLocal8Bit());
    Units fresh(1);
    const Outcome blocked = fresh.run({"write-profile", profile});
    qputenv("BREVALON_DATA_DIR", data.path().toLocal8Bit());
    EXPECT_EQ(blocked.exit, cli::UsageError);
    EXPECT_NE(blocked.err.find("cannot create the history folder"), std::string::npos)
        << blocked.err;
    EXPECT_EQ(fresh.requestsSent(), 0u);
}

// Eight units at once, each answering after 1 ms: each unit's file holds its
// own memory, the trace keeps each unit's requests in the order sent to it,
// and every unit holds the profile afterwards.
TEST(CliTest, EveryUnitIsReadAndWrittenAtOnce) {
    QTemporaryDir dir;
    Units units(8);
    for (std::size_t k = 0; k < units.devices.size(); ++k) {
        units.unit(k).behaviour().latencyMs = 1;
        units.unit(k).setGsmNumber(1, "06000000" + std::to_string(k));
    }
    const QString images = dir.filePath("images");
    ASSERT_EQ(units.run({"--all", "read-memory", images}).exit, cli::Done);
    for (std::size_t k = 0; k < units.devices.size(); ++k) {
        const QString serial = QString::fromStdString(units.devices[k]->serial());
        EXPECT_EQ(readFile(QDir(images).filePath(serial + ".bin")), memoryOf(units.unit(k)));
    }

    const QString profile = dir.filePath("unit1.json");
    ASSERT_EQ(units.run({"--unit", "BRV8-000001", "read-profile", profile}).exit, cli::Done);
    const QString trace = dir.filePath("trace.txt");
    const std::size_t before = units.platform.transcript().size();
    const Outcome write = units.run({"--trace", trace, "--all", "write-profile", profile});
    EXPECT_EQ(write.exit, cli::Done) << write.err;
    const QStringList lines = QString::fromUtf8(write.out).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 8 * 8);
    for (std::size_t k = 0; k < units.devices.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(memoryOf(units.unit(k)), memoryOf(units.unit(0)));
        const QString serial = QString::fromStdString(units.devices[k]->serial());
        EXPECT_EQ(lines.filter(QRegularExpression(u'^' + serial + u'\t')).size(), 8);
        QStringList sent;
        const std::vector<SimTranscriptLine> transcript = units.platform.transcript();
        for (std::size_t i = before; i < transcript.size(); ++i) {
            if (transcript[i].direction == '>' && transcript[i].path == units.devices[k]->path()) {
                sent << QString::fromStdString(transcript[i].text()).section(u' ', 1);
            }
        }
        QStringList traced;
        for (const QString& line : QString::fromUtf8(readFile(trace)).split(u'\n')) {
            if (line.section(u' ', 1, 2) == serial + QStringLiteral(" >")) {
                traced << line.section(u' ', 2);
            }
        }
        EXPECT_GT(sent.size(), 100);
        EXPECT_EQ(traced, sent);
    }
}

TEST(CliTest, TheProgramRunsOnItsOwnWithVirtualUnits) {
    const struct {
        QStringList arguments;
        int exit;
        QByteArray out;
    } cases[] = {
        {{"--simulate", "info"}, 0, "firmware: BRV8 FW 3.02 02.12.2016\nserial: BRV8-000001\n"},
        {{"--simulate=2", "info"}, 3, ""},
        {{"--simulate=0", "list"}, 0, ""},
    };
    for (const auto& c : cases) {
        QProcess program;
        program.start(
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(BREVALON_CLI)),
            c.arguments);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.exit) << program.readAllStandardError().toStdString();
        EXPECT_EQ(program.readAllStandardOutput().replace("\r\n", "\n"), c.out);
    }
    // Units side by side, each backed up into its history first: every unit's
    // thread ends cleanly (the Windows build once crashed there).
    QTemporaryDir dir;
    const QString profile = dir.filePath("unit.json");
    for (const QStringList& arguments :
         {QStringList{"--simulate", "read-profile", profile},
          QStringList{"--simulate=4", "--all", "write-profile", profile}}) {
        QProcess program;
        program.start(
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(BREVALON_CLI)),
            arguments);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    // The units' history of every test goes here, never into the user's.
    QTemporaryDir data;
    qputenv("BREVALON_DATA_DIR", data.path().toLocal8Bit());
    return RUN_ALL_TESTS();
}
