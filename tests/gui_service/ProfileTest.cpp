// The main window's profile buttons against a virtual unit: saving what the
// unit holds, loading a file that differs, writing it and checking it, and
// how an operation keeps the windows and the status polling out of its way.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <string>

#include "ServiceFixture.h"
#include "WhenShown.h"
#include "profile/ProfileFile.h"
#include "sim/UnitMemoryMap.h"
#include "widgets/TGrid.h"
#include "windows/ProfileDiff.h"

namespace {

using Kind = ScriptedDialogService::Kind;

const QString WrittenAndMatches = QStringLiteral(
    "Profil je upisan i pročitan nazad: uređaj sada sadrži sve vrednosti iz profila.");

class ProfileTest : public ServiceFixture {
protected:
    void SetUp() override {
        VirtualUnit& u = startWithUnit();
        for (int i = 0; i < 6; ++i) {
            u.setGsmNumber(i, "06012345" + std::to_string(i));
        }
        for (int i = 0; i < 10; ++i) {
            u.setSmsText(i, "Tekst " + std::to_string(i));
        }
        for (int i = 0; i < 100; ++i) {
            u.setPhonebookRecord(i, {"", "", 0});
        }
        u.setPhonebookRecord(37, {"+38164555", "Dom", 1});
        u.setRelayPulseTime(25);
        ASSERT_TRUE(dir_.isValid());
    }

    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }

    void writeFile(const QString& file, const QByteArray& document) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(document);
    }

    // Requests of `head` ("00 47 53") sent between the first request of
    // `first` and the last of `last`.
    int sentBetween(const std::string& head, const std::string& first,
                    const std::string& last) const {
        const std::vector<std::string> lines = sent();
        const auto starts = [](const std::string& line, const std::string& h) {
            return line.rfind(h, 0) == 0;
        };
        const auto begin = std::find_if(lines.begin(), lines.end(),
                                        [&](const std::string& l) { return starts(l, first); });
        const auto end = std::find_if(lines.rbegin(), lines.rend(), [&](const std::string& l) {
                             return starts(l, last);
                         }).base();
        return static_cast<int>(
            std::count_if(begin, end, [&](const std::string& l) { return starts(l, head); }));
    }

    QTemporaryDir dir_;
};

TEST_F(ProfileTest, SaveWritesWhatTheUnitHoldsAndLeavesTheWindowsAlone) {
    // Slow enough for several ticks to fall inside the read.
    unit().behaviour().latencyMs = 5;
    auto* number = control<QLineEdit>(windowOf("TfrmGSMNumbers"), "edGSMN1");
    number->setText(QStringLiteral("typed"));
    dialogs->answerPath(path("unit.json"));
    QString progress;
    WhenShown<QProgressDialog> watch([&](QProgressDialog& dialog) {
        progress = dialog.labelText();
        return progress.startsWith(QStringLiteral("Čitanje imenika"));
    });

    control<QPushButton>("btSaveProfile")->click();

    EXPECT_TRUE(watch.done());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Čitanje imenika: [0-9]+ od 100$"))
                    .match(progress)
                    .hasMatch())
        << progress.toStdString();

    const profile::ProfileReadResult saved = profile::loadProfile(path("unit.json"));
    ASSERT_TRUE(saved.profile) << saved.faults.front().text().toStdString();
    EXPECT_EQ((*saved.profile->gsmNumbers)[2], u"060123452");
    EXPECT_EQ((*saved.profile->smsTexts)[6], u"Tekst 6");
    EXPECT_EQ((*saved.profile->phonebook)[37].note, u"Dom");
    EXPECT_EQ(saved.profile->relayPulseTime, 25);
    EXPECT_EQ(saved.profile->firmware,
              QString::fromStdString(unit().firmwareText()).toStdU16String());
    ASSERT_EQ(dialogs->calls().size(), 1u);
    EXPECT_EQ(dialogs->calls()[0].kind, Kind::SaveFileName);
    EXPECT_EQ(dialogs->calls()[0].defaultSuffix, QStringLiteral("json"));
    // Named by the unit and the time, in the current folder at first; the
    // next dialog starts where this one ended.
    const QString proposed = dialogs->calls()[0].directory;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^%1/SERVICE-1-20[0-9]{6}-[0-9]{4}\\.json$")
                                       .arg(QRegularExpression::escape(QDir::currentPath())))
                    .match(proposed)
                    .hasMatch())
        << proposed.toStdString();
    control<QPushButton>(windowOf("TfrmMemory"), "btSaveBin")->click();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^%1/SERVICE-1-20[0-9]{6}-[0-9]{4}\\.bin$")
                                       .arg(QRegularExpression::escape(dir_.path())))
                    .match(dialogs->calls().back().directory)
                    .hasMatch())
        << dialogs->calls().back().directory.toStdString();
    dialogs->clear();

    // The replies went to the profile only, and the one status request inside
    // the read is the profile's own call-function read.
    EXPECT_EQ(number->text(), QStringLiteral("typed"));
    EXPECT_EQ(sentBetween("00 47 53", "00 47 4E", "00 47 43"), 1);
    const int polls = countSent("00 47 53");
    EXPECT_TRUE(pumpUntil([&] { return countSent("00 47 53") > polls + 2; }));
}

TEST_F(ProfileTest, CancellingTheReadSavesNothing) {
    unit().behaviour().latencyMs = 10;
    WhenShown<QProgressDialog> cancel([](QProgressDialog& progress) {
        if (progress.value() < 3) {
            return false;
        }
        progress.findChild<QPushButton*>()->click();
        return true;
    });

    control<QPushButton>("btSaveProfile")->click();

    EXPECT_TRUE(cancel.done());
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_LT(countSent("00 47 43"), 100);  // the phonebook was never read whole
    const int polls = countSent("00 47 53");
    EXPECT_TRUE(pumpUntil([&] { return countSent("00 47 53") > polls + 2; }));
}

TEST_F(ProfileTest, LoadShowsTheDifferencesWritesThemAndTheWindowsShowTheResult) {
    unit().behaviour().latencyMs = 5;
    writeFile(path("file.json"), R"({
  "format": "brevalon-mini-setup-profile",
  "version": 1,
  "gsmNumbers": ["+381641111111", "060123451", "060123452", "060123453", "060123454", "060123455"],
  "smsTexts": ["Tekst 0", "Tekst 1", "Tekst 2", "Tekst 3", "Tekst 4", "Tekst 5", "Tekst 6",
               "Tekst 7", "Tekst 8", "Tekst 9"],
  "analogAlarm": {"max": "85.5000", "min": "20.0000", "repeatMinutes": 30, "smsCount": 3, "on": true, "userTexts": true},
  "relayPulseTime": 40,
  "callFunction": true
})");
    // What the window shows follows the user's locale; the file never does.
    unit().setAnalogAlarm({800000, 200000, 30, 3, 1, 1});
    const QLocale previousLocale;
    QLocale::setDefault(QLocale(QLocale::Serbian, QLocale::LatinScript, QLocale::Serbia));
    dialogs->answerPath(path("file.json"));
    QStringList rows;
    WhenShown<TfrmProfileDiff> agree([&](TfrmProfileDiff& diff) {
        auto* grid = diff.findChild<TGrid*>(QStringLiteral("gridProfileDiff"));
        for (int row = 0; row < grid->rowCount(); ++row) {
            rows << QStringLiteral("%1 %2 %3 %4")
                        .arg(grid->cell(1, row), grid->cell(2, row), grid->cell(3, row),
                             grid->cell(4, row));
        }
        diff.findChild<QPushButton*>(QStringLiteral("btProfileWrite"))->click();
        diff.findChild<QPushButton*>(QStringLiteral("btProfileCancel"))->click();
        return true;
    });

    control<QPushButton>("btLoadProfile")->click();

    ASSERT_TRUE(agree.done());
    QLocale::setDefault(previousLocale);
    EXPECT_EQ(rows,
              QStringList({
                  QStringLiteral("GSM brojevi GSM broj 1 \"060123450\" \"+381641111111\""),
                  QStringLiteral("Analogni alarm Analogni alarm: Opseg Maximum 80,0000 85,5000"),
                  QStringLiteral("Izlazi Držanje releja u puls modu 25 40"),
                  QStringLiteral("Call funkcija Call funkcija ne da"),
              }))
        << rows.join(u'|').toStdString();
    EXPECT_EQ(dialogs->texts().last(), WrittenAndMatches);
    EXPECT_EQ(unit().gsmNumber(0), "+381641111111");
    EXPECT_EQ(unit().relayPulseTime(), 40);
    // Only the groups that differed went out.
    EXPECT_EQ(countSent("00 53 50"), 0);
    EXPECT_EQ(control<QLineEdit>(windowOf("TfrmGSMNumbers"), "edGSMN1")->text(),
              QStringLiteral("+381641111111"));
    EXPECT_EQ(control<QLineEdit>(windowOf("TfrmIzlazi"), "edRelayDelay")->text(),
              QStringLiteral("40"));
    EXPECT_EQ(sentBetween("00 47 53", "00 53 4E", "00 47 4F"), 0);
    // Loading it again finds nothing to write.
    dialogs->answerPath(path("file.json"));
    control<QPushButton>("btLoadProfile")->click();
    EXPECT_EQ(dialogs->texts().last(),
              QStringLiteral("Uređaj već sadrži sve vrednosti iz profila."));
    // The window's own write is answered again once the profile is done.
    auto* numbers = windowOf("TfrmGSMNumbers");
    control<QLineEdit>(numbers, "edGSMN1")->setText(QStringLiteral("0611"));
    dialogs->clear();
    control<QPushButton>(numbers, "btGSMNWrite")->click();
    EXPECT_TRUE(dialogs->calls().empty());
    EXPECT_EQ(unit().gsmNumber(0), "0611");
}

TEST_F(ProfileTest, ARefusedFileListsEveryFaultInSerbianAndSendsNothing) {
    const struct {
        QByteArray document;
        QStringList faults;
    } cases[] = {
        {R"({"format": "brevalon-mini-setup-profile", "version": 1,
             "gsmNumbers": ["š", "", "", "", "", ""], "colour": 1})",
         {QStringLiteral("GSM broj 1: znak \"š\" ne može da se pošalje uređaju"),
          QStringLiteral("colour: nepoznat ključ")}},
        {R"({"format": "brevalon-mini-setup-profile", "version": 1, "firmware": "BRV8"})",
         {QStringLiteral("Profil ne sadrži nijedno podešavanje uređaja.")}},
        {"", {QStringLiteral("Datoteka je prazna.")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document.toStdString());
        writeFile(path("bad.json"), c.document);
        dialogs->clear();
        dialogs->answerPath(path("bad.json"));

        control<QPushButton>("btLoadProfile")->click();

        ASSERT_EQ(dialogs->calls().size(), 2u);
        EXPECT_EQ(dialogs->calls()[0].kind, Kind::OpenFileName);
        EXPECT_EQ(dialogs->calls()[1].kind, Kind::Error);
        EXPECT_EQ(dialogs->calls()[1].text,
                  QStringLiteral("Profil \"%1\" nije učitan; u uređaj nije ništa poslato.\n\n%2")
                      .arg(QDir::toNativeSeparators(path("bad.json")), c.faults.join(u'\n')));
    }
    EXPECT_EQ(countSent("00 47 4E") + countSent("00 53 4E"), 0);
}

// A value a unit may hold but not take back is compared like any other; only
// the write refuses it, naming every such fault, and then sends nothing.
TEST_F(ProfileTest, WhatOnlyAWriteRefusesIsComparedAndRefusedByTheWrite) {
    unit().setMemoryByte(UnitMemoryMap::RelayPulseTime, 0);
    unit().setAnalogAlarm({200000, 200000, 30, 3, 1, 1});
    dialogs->answer(DialogService::Answer::Ok);
    dialogs->answerPath(path("held.json"));
    control<QPushButton>("btSaveProfile")->click();
    ASSERT_EQ(dialogs->calls().size(), 2u) << dialogs->texts().join(u'|').toStdString();
    EXPECT_EQ(dialogs->calls()[0].kind, Kind::WarningOkCancel);
    const QString faults = QStringLiteral(
        "Analogni alarm: Maximalna vrednost mora biti VECA od Minimalne (20.0000 i 20.0000)\n"
        "Držanje releja u puls modu: 0 je van granica od 1 do 250");
    EXPECT_TRUE(dialogs->calls()[0].text.contains(faults))
        << dialogs->calls()[0].text.toStdString();

    unit().setRelayPulseTime(25);
    unit().setAnalogAlarm({800000, 200000, 30, 3, 1, 1});
    dialogs->clear();
    platform.clearTranscript();
    dialogs->answerPath(path("held.json"));
    QStringList rows;
    WhenShown<TfrmProfileDiff> agree([&](TfrmProfileDiff& diff) {
        auto* grid = diff.findChild<TGrid*>(QStringLiteral("gridProfileDiff"));
        for (int row = 0; row < grid->rowCount(); ++row) {
            rows << grid->cell(2, row);
        }
        diff.findChild<QPushButton*>(QStringLiteral("btProfileWrite"))->click();
        diff.findChild<QPushButton*>(QStringLiteral("btProfileCancel"))->click();
        return true;
    });

    control<QPushButton>("btLoadProfile")->click();

    ASSERT_TRUE(agree.done());
    EXPECT_EQ(rows, QStringList({QStringLiteral("Analogni alarm: Opseg Maximum"),
                                 QStringLiteral("Držanje releja u puls modu")}));
    EXPECT_EQ(
        dialogs->texts().last(),
        QStringLiteral("Profil ne može da se upiše; u uređaj nije ništa poslato.\n\n") + faults);
    EXPECT_EQ(countSent("00 53"), 0);
}

TEST_F(ProfileTest, AUnitLeavingDuringTheWriteSaysHowFarItCame) {
    writeFile(path("file.json"), R"({
  "format": "brevalon-mini-setup-profile",
  "version": 1,
  "gsmNumbers": ["1", "2", "3", "4", "5", "6"],
  "relayPulseTime": 40
})");
    dialogs->answerPath(path("file.json"));
    // Numbers 0 and 1 are stored; the unit leaves on number 2. The observer
    // runs before the unit handles the request.
    platform.setTranscriptObserver([this](const SimTranscriptLine& line) {
        if (line.direction == '>' && line.bytes.size() > 4 && line.bytes[1] == 'S' &&
            line.bytes[2] == 'N' && line.bytes[3] == 2) {
            const auto& seen = unit().transcript();
            unit().behaviour().unplugAtRequest = static_cast<std::uint32_t>(
                std::count_if(seen.begin(), seen.end(), [](const auto& e) { return e.toUnit; }) +
                1);
        }
    });
    WhenShown<TfrmProfileDiff> agree([](TfrmProfileDiff& diff) {
        diff.findChild<QPushButton*>(QStringLiteral("btProfileWrite"))->click();
        diff.findChild<QPushButton*>(QStringLiteral("btProfileCancel"))->click();
        return true;
    });

    control<QPushButton>("btLoadProfile")->click();

    ASSERT_TRUE(agree.done());
    const QString message = dialogs->texts().last();
    EXPECT_TRUE(message.contains(QStringLiteral("uređaj je isključen tokom upisa: GSM broj 3")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("GSM brojevi: GSM broj 1 do GSM broj 2 upisano")));
    EXPECT_TRUE(message.contains(QStringLiteral("Držanje releja u puls modu: nije upisano")));
    EXPECT_EQ(unit().gsmNumber(1), "2");
    EXPECT_EQ(unit().gsmNumber(2), "060123452");
}

TEST_F(ProfileTest, WaitsWhileAnotherWindowReads) {
    unit().behaviour().latencyMs = 20;
    control<QPushButton>(windowOf("TfrmCallPhonebook"), "btnPhonebookRead")->click();

    control<QPushButton>("btSaveProfile")->click();

    ASSERT_EQ(dialogs->calls().size(), 1u);
    EXPECT_EQ(dialogs->calls()[0].kind, Kind::Info);
    EXPECT_TRUE(pumpUntil([&] { return countSent("00 47 43") == 100; }));
}

}  // namespace
