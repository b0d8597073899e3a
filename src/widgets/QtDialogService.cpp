#include "widgets/QtDialogService.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace {

// The boxes belong to whichever window is active, as the tool's boxes are
// application-modal and centred on it.
QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString& text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, buttons,
                    QApplication::activeWindow());
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void QtDialogService::info(const QString& text) {
    showBox(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogService::error(const QString& text) {
    showBox(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

DialogService::Answer QtDialogService::confirm(const QString& text) {
    return showBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::Yes) == QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

DialogService::Answer QtDialogService::warningYesNo(const QString& text) {
    // A warning asks before something that cannot be undone: Enter must not
    // confirm it by accident.
    return showBox(QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::No) == QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

DialogService::Answer QtDialogService::warningOkCancel(const QString& text) {
    return showBox(QMessageBox::Warning, text, QMessageBox::Ok | QMessageBox::Cancel,
                   QMessageBox::Ok) == QMessageBox::Ok
               ? Answer::Ok
               : Answer::Cancel;
}

namespace {

QString chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

}  // namespace

QString QtDialogService::saveFileName(const QString& caption, const QList<FileFilter>& filters,
                                      const QString& defaultSuffix, const QString& directory) {
    QFileDialog dialog(QApplication::activeWindow(), caption, directory, qtFilter(filters));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The tool's save dialogs replace an existing file without asking.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(bareSuffix(defaultSuffix));
    return chosenFile(dialog);
}

QString QtDialogService::openFileName(const QString& caption, const QList<FileFilter>& filters,
                                      const QString& directory) {
    QFileDialog dialog(QApplication::activeWindow(), caption, directory, qtFilter(filters));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return chosenFile(dialog);
}

void QtDialogService::showFolder(const QString& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
