#pragma once

#include <QList>
#include <QString>

#include <memory>

// Every message box and file dialog of the tool goes through the
// installed service, so tests can answer them from a script and read what
// was shown. Used on the user-interface thread only. A call may run a nested
// event loop (the Qt boxes do), and may itself be made from inside one, such
// as an acknowledgement wait.
class DialogService {
public:
    enum class Answer { Yes, No, Ok, Cancel };

    // One choice of a save dialog's type list: the text shown and the
    // pattern it selects, e.g. {"Text Files *.txt", "*.txt"}.
    struct FileFilter {
        QString description;
        QString pattern;
    };

    virtual ~DialogService() = default;

    // An information box with an OK button.
    virtual void info(const QString& text) = 0;
    // An error box with an OK button.
    virtual void error(const QString& text) = 0;
    // A question with Yes and No; answers Yes or No.
    virtual Answer confirm(const QString& text) = 0;
    // A warning with Yes and No; answers Yes or No.
    virtual Answer warningYesNo(const QString& text) = 0;
    // A warning with OK and Cancel; answers Ok or Cancel.
    virtual Answer warningOkCancel(const QString& text) = 0;
    // The save-file dialog. `defaultSuffix` ("txt", ".txt" or "*.txt") is
    // appended to a chosen name that has no suffix; `directory` is where the
    // dialog starts. An existing file is replaced without asking. Returns the
    // chosen path, or an empty string when the user cancels.
    virtual QString saveFileName(const QString& caption, const QList<FileFilter>& filters,
                                 const QString& defaultSuffix, const QString& directory) = 0;
    // The open-file dialog, for an existing file; `directory` is where it
    // starts. Returns the chosen path, or an empty string when the user cancels.
    virtual QString openFileName(const QString& caption, const QList<FileFilter>& filters,
                                 const QString& directory) = 0;
    // Opens `folder` in the system's file manager.
    virtual void showFolder(const QString& folder) = 0;

    // The installed service. When none was installed, the first call installs
    // the one that shows real Qt dialogs.
    static DialogService& instance();
    // Makes `service` the one `instance()` returns and hands back the previous
    // one (null if there was none), so a test can put it back afterwards.
    static std::unique_ptr<DialogService> install(std::unique_ptr<DialogService> service);

    // Qt's filter syntax for `filters`, a pattern that ends the description
    // given once: "Text Files (*.txt);;All Files (*.*)".
    static QString qtFilter(const QList<FileFilter>& filters);
    // The suffix without a leading "*" or ".": "*.bin" -> "bin".
    static QString bareSuffix(const QString& defaultSuffix);
};
