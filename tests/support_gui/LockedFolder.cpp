#include "LockedFolder.h"

#include "UnprivilegedThread.h"

#include <gtest/gtest.h>

#include <QFile>

LockedFolder::LockedFolder(const QByteArray& fileContent) {
    QFile file(filePath());
    if (!dir_.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(fileContent) != fileContent.size()) {
        ADD_FAILURE() << "cannot make " << filePath().toStdString();
    }
    file.close();
    const auto read = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    file.setPermissions(read | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);
    QFile::setPermissions(dir_.path(), read | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    user_ = std::make_unique<UnprivilegedThread>();

    QFile probe(dir_.filePath(QStringLiteral("probe")));
    if (probe.open(QIODevice::NewOnly)) {
        skipReason_ =
            QStringLiteral("a folder without write permission still takes new files here");
    } else if (!file.open(QIODevice::Append)) {
        skipReason_ = QStringLiteral("the file in the folder cannot be written here");
    }
}

LockedFolder::~LockedFolder() {
    // Root again first: only the folder's owner may give the permission back.
    user_.reset();
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString LockedFolder::filePath() const {
    return dir_.filePath(QStringLiteral("locked.txt"));
}

QByteArray LockedFolder::fileContent() const {
    QFile file(filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
