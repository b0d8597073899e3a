#include "widgets/FileProposal.h"

#include <QDir>
#include <QFileInfo>

namespace FileProposal {

namespace {

QString& folder() {
    static QString last;
    return last;
}

}  // namespace

QString fileName(const QString& serial, const QDateTime& when, const QString& suffix) {
    QString safe;
    for (const QChar c : serial) {
        const bool kept = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') ||
                          (c >= u'a' && c <= u'z') || c == u'-' || c == u'_' || c == u'.';
        safe += kept ? c : QChar(u'_');
    }
    // The format's digits are the same in every locale.
    const QString time = when.toString(QStringLiteral("yyyyMMdd-HHmm"));
    return (safe.isEmpty() ? time : safe + u'-' + time) + u'.' + suffix;
}

QString lastFolder() {
    return folder().isEmpty() ? QDir::currentPath() : folder();
}

QString inLastFolder(const QString& name) {
    return QDir(lastFolder()).filePath(name);
}

void chosen(const QString& path) {
    if (!path.isEmpty()) {
        folder() = QFileInfo(path).absolutePath();
    }
}

}  // namespace FileProposal
