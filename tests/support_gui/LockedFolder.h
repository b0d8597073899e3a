#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class UnprivilegedThread;

// A folder the test's thread may not write in, holding one file it may write.
// As root the thread runs unprivileged while the folder lives, since root
// ignores folder permissions. Where the folder still takes new files (a
// system whose folders have no write permission), skipReason() says so and
// the test skips.
class LockedFolder {
public:
    explicit LockedFolder(const QByteArray& fileContent);
    ~LockedFolder();
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;

    QString filePath() const;
    QByteArray fileContent() const;
    // Empty when the folder is locked as described.
    const QString& skipReason() const { return skipReason_; }

private:
    QTemporaryDir dir_;
    std::unique_ptr<UnprivilegedThread> user_;
    QString skipReason_;
};
