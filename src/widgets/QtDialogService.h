#pragma once

#include "widgets/DialogService.h"

// Shows real Qt message boxes, titled with the application's name, Qt's
// file dialogs, and folders in the system's file manager.
class QtDialogService final : public DialogService {
public:
    void info(const QString& text) override;
    void error(const QString& text) override;
    Answer confirm(const QString& text) override;
    Answer warningYesNo(const QString& text) override;
    Answer warningOkCancel(const QString& text) override;
    QString saveFileName(const QString& caption, const QList<FileFilter>& filters,
                         const QString& defaultSuffix, const QString& directory) override;
    QString openFileName(const QString& caption, const QList<FileFilter>& filters,
                         const QString& directory) override;
    void showFolder(const QString& folder) override;
};
