#include "ScriptedDialogService.h"
#include "widgets/DialogService.h"
#include "widgets/FileProposal.h"
#include "widgets/QtDialogService.h"
#include "widgets/QtTexts.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <gtest/gtest-spi.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>
#include <utility>

using Answer = DialogService::Answer;
using Kind = ScriptedDialogService::Kind;

TEST(DialogService, BuildsQtFiltersAndBareSuffixes) {
    EXPECT_EQ(DialogService::qtFilter({{"Text Files *.txt", "*.txt"}, {"All Files *.*", "*.*"}}),
              QString("Text Files (*.txt);;All Files (*.*)"));
    EXPECT_EQ(DialogService::qtFilter({{"BIN Files", "*.bin"}, {"Profil*.json", "*.json"}}),
              QString("BIN Files (*.bin);;Profil*.json (*.json)"));
    const std::pair<QString, QString> suffixes[] = {
        {"*.bin", "bin"}, {".txt", "txt"}, {"txt", "txt"}, {"*.", ""}, {"tar.gz", "tar.gz"}};
    for (const auto& [given, expected] : suffixes) {
        EXPECT_EQ(DialogService::bareSuffix(given), expected);
    }
}

TEST(ScriptedDialogService, AnswersFromTheScriptInOrderThenDefaults) {
    ScopedScriptedDialogs dialogs;
    dialogs->answer(Answer::Yes);
    dialogs->answer(Answer::Cancel);
    dialogs->answerPath("/tmp/history.txt");

    auto& service = DialogService::instance();
    service.info("Formatiranje je inicirano.");
    EXPECT_EQ(service.confirm("Da li zelite da obrisete brojace?"), Answer::Yes);
    EXPECT_EQ(service.warningOkCancel("Period mora biti u granicama od 1 do 250!"), Answer::Cancel);
    EXPECT_EQ(service.saveFileName("Save History",
                                   {{"Text Files *.txt", "*.txt"}, {"All Files *.*", "*.*"}}, "txt",
                                   "/work"),
              QString("/tmp/history.txt"));
    // Nothing scripted any more: No, Cancel, no path.
    EXPECT_EQ(service.warningYesNo("SVI podaci BICE OBRISANI."), Answer::No);
    EXPECT_EQ(service.warningOkCancel("x"), Answer::Cancel);
    EXPECT_EQ(service.saveFileName("Save BIN", {{"BIN Files", "*.bin"}}, "*.bin", ""), QString());
    service.error("I/O error 5");

    const auto& calls = dialogs->calls();
    ASSERT_EQ(calls.size(), 8u);
    const struct {
        Kind kind;
        const char* text;
        Answer answer;
        bool scripted;
    } expected[] = {
        {Kind::Info, "Formatiranje je inicirano.", Answer::Ok, false},
        {Kind::Confirm, "Da li zelite da obrisete brojace?", Answer::Yes, true},
        {Kind::WarningOkCancel, "Period mora biti u granicama od 1 do 250!", Answer::Cancel, true},
        {Kind::SaveFileName, "Save History", Answer::Ok, true},
        {Kind::WarningYesNo, "SVI podaci BICE OBRISANI.", Answer::No, false},
        {Kind::WarningOkCancel, "x", Answer::Cancel, false},
        {Kind::SaveFileName, "Save BIN", Answer::Cancel, false},
        {Kind::Error, "I/O error 5", Answer::Ok, false},
    };
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(calls[i].kind, expected[i].kind);
        EXPECT_EQ(calls[i].text, QString(expected[i].text));
        EXPECT_EQ(calls[i].answer, expected[i].answer);
        EXPECT_EQ(calls[i].scripted, expected[i].scripted);
    }
    EXPECT_EQ(calls[3].defaultSuffix, QString("txt"));
    EXPECT_EQ(calls[3].directory, QString("/work"));
    ASSERT_EQ(calls[3].filters.size(), 2);
    EXPECT_EQ(calls[3].filters[1].pattern, QString("*.*"));
    EXPECT_EQ(dialogs->pendingAnswers(), 0u);
}

TEST(ScriptedDialogService, AnswerThatIsNotAButtonOfTheBoxFailsTheTest) {
    ScopedScriptedDialogs dialogs;
    dialogs->answer(Answer::Ok);
    Answer given = Answer::Yes;
    EXPECT_NONFATAL_FAILURE(given = dialogs->confirm("Da li zaista?"), "does not fit the box");
    EXPECT_EQ(given, Answer::No);
    EXPECT_FALSE(dialogs->calls().at(0).scripted);
}

TEST(ScriptedDialogService, ScopePutsThePreviousServiceBack) {
    ScopedScriptedDialogs outer;
    {
        ScopedScriptedDialogs inner;
        DialogService::instance().info("inner");
        EXPECT_EQ(inner->texts(), QStringList{"inner"});
    }
    DialogService::instance().info("outer");
    EXPECT_EQ(outer->texts(), QStringList{"outer"});
}

// The boxes the tool shows: a question defaults to Yes, a warning to No, so
// that Enter never confirms what cannot be undone; Qt's own button texts
// are Serbian for a user of Serbian and English otherwise.
TEST(QtDialogService, BoxesHaveTheirDefaultsAndSpeakTheUsersLanguage) {
    EXPECT_TRUE(QtTexts::wantsSerbian({"sr-Latn-RS"}));
    EXPECT_TRUE(QtTexts::wantsSerbian({"sr-Cyrl-RS", "en-US"}));
    EXPECT_TRUE(QtTexts::wantsSerbian({"hr-HR"}));
    EXPECT_TRUE(QtTexts::wantsSerbian({"bs"}));
    EXPECT_TRUE(QtTexts::wantsSerbian({"cnr-ME"}));
    EXPECT_TRUE(QtTexts::wantsSerbian({"sr_ME"}));
    EXPECT_FALSE(QtTexts::wantsSerbian({"en-US", "sr-Latn-RS"}));
    EXPECT_FALSE(QtTexts::wantsSerbian({"sl-SI"}));
    EXPECT_FALSE(QtTexts::wantsSerbian({"srn"}));
    EXPECT_FALSE(QtTexts::wantsSerbian({}));

    QtDialogService service;
    // The box's default button and the texts of its buttons, then a click on
    // its default.
    const auto shown = [&](const std::function<DialogService::Answer()>& ask) {
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen << box->defaultButton()->text();
            for (QAbstractButton* button : box->buttons()) {
                seen << button->text();
            }
            box->defaultButton()->click();
        });
        const DialogService::Answer answer = ask();
        return std::pair{answer, seen};
    };
    const auto confirm = [&] { return service.confirm("Da li zelite da obrisete brojace?"); };
    const auto warn = [&] { return service.warningYesNo("SVI podaci BICE OBRISANI."); };
    EXPECT_EQ(shown(confirm), std::pair(Answer::Yes, QStringList{"&Yes", "&Yes", "&No"}));
    EXPECT_EQ(shown(warn), std::pair(Answer::No, QStringList{"&No", "&Yes", "&No"}));

    const std::unique_ptr<QTranslator> serbian = QtTexts::serbianTranslator();
    QCoreApplication::installTranslator(serbian.get());
    EXPECT_EQ(shown(warn), std::pair(Answer::No, QStringList{"&Ne", "&Da", "&Ne"}));
    QFileDialog files(nullptr, "Sačuvaj profil", QString(), "Profil (*.json)");
    files.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(files.findChild<QLabel*>("lookInLabel")->text(), "Traži u:");
    EXPECT_EQ(files.findChild<QLabel*>("fileNameLabel")->text(), "&Ime datoteke:");
    EXPECT_EQ(files.findChild<QLabel*>("fileTypeLabel")->text(), "Vrsta datoteka:");
    QCoreApplication::removeTranslator(serbian.get());
}

TEST(FileProposal, NamesTheUnitAndTheTimeInTheFolderChosenLast) {
    const QDateTime when(QDate(2026, 12, 10), QTime(14, 3, 59));
    const struct {
        QString serial;
        const char* name;
    } cases[] = {
        {"BRV8-000001", "BRV8-000001-20261210-1403.json"},
        {"", "20261210-1403.json"},
        {"a/b\\c:d*e", "a_b_c_d_e-20261210-1403.json"},
        {QString::fromUtf8("Š 1"), "__1-20261210-1403.json"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileProposal::fileName(c.serial, when, "json"), QString(c.name));
    }
    EXPECT_EQ(FileProposal::lastFolder(), QDir::currentPath());
    FileProposal::chosen(QString());
    EXPECT_EQ(FileProposal::lastFolder(), QDir::currentPath());
    const QString folder = QDir(QDir::tempPath()).filePath("units");
    FileProposal::chosen(folder + "/unit.json");
    EXPECT_EQ(FileProposal::inLastFolder("x.bin"), QDir(folder).filePath("x.bin"));
}
