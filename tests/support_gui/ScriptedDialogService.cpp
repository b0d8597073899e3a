#include "ScriptedDialogService.h"

#include <gtest/gtest.h>

#include <QStringList>

void ScriptedDialogService::answer(Answer next) {
    answers_.push_back(next);
}

void ScriptedDialogService::answerPath(const QString& next) {
    paths_.push_back(next);
}

QStringList ScriptedDialogService::texts() const {
    QStringList result;
    for (const auto& call : calls_) {
        result << call.text;
    }
    return result;
}

void ScriptedDialogService::clear() {
    calls_.clear();
    answers_.clear();
    paths_.clear();
}

void ScriptedDialogService::info(const QString& text) {
    calls_.push_back({.kind = Kind::Info, .text = text});
}

void ScriptedDialogService::error(const QString& text) {
    calls_.push_back({.kind = Kind::Error, .text = text});
}

DialogService::Answer ScriptedDialogService::confirm(const QString& text) {
    return ask(Kind::Confirm, text, Answer::Yes, Answer::No);
}

DialogService::Answer ScriptedDialogService::warningYesNo(const QString& text) {
    return ask(Kind::WarningYesNo, text, Answer::Yes, Answer::No);
}

DialogService::Answer ScriptedDialogService::warningOkCancel(const QString& text) {
    return ask(Kind::WarningOkCancel, text, Answer::Ok, Answer::Cancel);
}

QString ScriptedDialogService::saveFileName(const QString& caption,
                                            const QList<FileFilter>& filters,
                                            const QString& defaultSuffix,
                                            const QString& directory) {
    return choosePath({.kind = Kind::SaveFileName,
                       .text = caption,
                       .filters = filters,
                       .defaultSuffix = defaultSuffix,
                       .directory = directory});
}

QString ScriptedDialogService::openFileName(const QString& caption,
                                            const QList<FileFilter>& filters,
                                            const QString& directory) {
    return choosePath(
        {.kind = Kind::OpenFileName, .text = caption, .filters = filters, .directory = directory});
}

void ScriptedDialogService::showFolder(const QString& folder) {
    calls_.push_back({.kind = Kind::ShowFolder, .text = folder});
}

QString ScriptedDialogService::choosePath(Call call) {
    if (!paths_.empty()) {
        call.path = paths_.front();
        call.scripted = true;
        paths_.pop_front();
    }
    call.answer = call.path.isEmpty() ? Answer::Cancel : Answer::Ok;
    calls_.push_back(call);
    return call.path;
}

DialogService::Answer ScriptedDialogService::ask(Kind kind, const QString& text, Answer accept,
                                                 Answer reject) {
    Call call{.kind = kind, .text = text, .answer = reject};
    if (!answers_.empty()) {
        const Answer next = answers_.front();
        answers_.pop_front();
        if (next == accept || next == reject) {
            call.answer = next;
            call.scripted = true;
        } else {
            ADD_FAILURE() << "scripted answer does not fit the box \"" << text.toStdString()
                          << "\"";
        }
    }
    calls_.push_back(call);
    return call.answer;
}

ScopedScriptedDialogs::ScopedScriptedDialogs() {
    auto service = std::make_unique<ScriptedDialogService>();
    service_ = service.get();
    previous_ = DialogService::install(std::move(service));
}

ScopedScriptedDialogs::~ScopedScriptedDialogs() {
    DialogService::install(std::move(previous_));
}
