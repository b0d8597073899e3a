#pragma once

#include <utility>

#include "widgets/DialogService.h"

// Message boxes would wait for a click: every box is dismissed at once, every
// question answered No (or Cancel) and every save dialog cancelled, or given
// `savePath` when there is one.
class SilentDialogs final : public DialogService {
public:
    explicit SilentDialogs(QString savePath = {}) : savePath_(std::move(savePath)) {}
    void info(const QString&) override {}
    void error(const QString&) override {}
    Answer confirm(const QString&) override { return Answer::No; }
    Answer warningYesNo(const QString&) override { return Answer::No; }
    Answer warningOkCancel(const QString&) override { return Answer::Cancel; }
    QString saveFileName(const QString&, const QList<FileFilter>&, const QString&,
                         const QString&) override {
        return savePath_;
    }
    QString openFileName(const QString&, const QList<FileFilter>&, const QString&) override {
        return {};
    }
    void showFolder(const QString&) override {}

private:
    QString savePath_;
};
