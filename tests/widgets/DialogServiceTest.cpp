#include "ScriptedDialogService.h"
#include "widgets/DialogService.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <gtest/gtest-spi.h>

using Answer = DialogService::Answer;
using Kind = ScriptedDialogService::Kind;

TEST(DialogService, BuildsQtFiltersAndBareSuffixes) {
    EXPECT_EQ(DialogService::qtFilter({{"Text Files *.txt", "*.txt"}, {"All Files *.*", "*.*"}}),
              QString("Text Files *.txt (*.txt);;All Files *.* (*.*)"));
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
