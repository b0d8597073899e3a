#pragma once

#include "widgets/DialogService.h"

#include <QString>

#include <deque>
#include <memory>
#include <vector>

// A dialog service for tests: records every box and save dialog asked for,
// and answers at once from queues the test fills. With nothing scripted a
// question is answered No (or Cancel) and a save dialog is cancelled; the
// call is still recorded, marked as unscripted.
class ScriptedDialogService final : public DialogService {
public:
    enum class Kind {
        Info,
        Error,
        Confirm,
        WarningYesNo,
        WarningOkCancel,
        SaveFileName,
        OpenFileName,
        ShowFolder
    };

    struct Call {
        Kind kind{};
        // The box's text, or the file dialog's caption.
        QString text{};
        // What the service answered: for boxes without a choice, Ok.
        Answer answer = Answer::Ok;
        // The file dialog's answer; empty for a cancel.
        QString path{};
        // The file dialog's request, as given.
        QList<FileFilter> filters{};
        QString defaultSuffix{};
        QString directory{};
        // Whether the answer came from the script.
        bool scripted = false;
    };

    // Queues the answer to the next Yes/No or OK/Cancel question. An answer
    // that is not one of the question's buttons fails the running test.
    void answer(Answer next);
    // Queues the path the next save or open dialog returns; empty means cancel.
    void answerPath(const QString& next);

    const std::vector<Call>& calls() const { return calls_; }
    // The texts of every recorded call, in order.
    QStringList texts() const;
    // Answers queued but not used yet.
    std::size_t pendingAnswers() const { return answers_.size() + paths_.size(); }
    void clear();

    void info(const QString& text) override;
    void error(const QString& text) override;
    Answer confirm(const QString& text) override;
    Answer warningYesNo(const QString& text) override;
    Answer warningOkCancel(const QString& text) override;
    QString saveFileName(const QString& caption, const QList<FileFilter>& filters,
                         const QString& defaultSuffix, const QString& directory) override;
    QString openFileName(const QString& caption, const QList<FileFilter>& filters,
                         const QString& directory) override;
    // Recorded with the folder as its text; nothing is opened.
    void showFolder(const QString& folder) override;

private:
    Answer ask(Kind kind, const QString& text, Answer accept, Answer reject);
    QString choosePath(Call call);

    std::vector<Call> calls_;
    std::deque<Answer> answers_;
    std::deque<QString> paths_;
};

// Installs a fresh ScriptedDialogService for its lifetime and puts the
// previous service back afterwards.
class ScopedScriptedDialogs {
public:
    ScopedScriptedDialogs();
    ~ScopedScriptedDialogs();
    ScopedScriptedDialogs(const ScopedScriptedDialogs&) = delete;
    ScopedScriptedDialogs& operator=(const ScopedScriptedDialogs&) = delete;

    ScriptedDialogService& operator*() const { return *service_; }
    ScriptedDialogService* operator->() const { return service_; }

private:
    ScriptedDialogService* service_;
    std::unique_ptr<DialogService> previous_;
};
