#include "widgets/DirectWriteFallback.h"

#include <QFileInfo>
#include <QSaveFile>

void allowDirectWriteInLockedFolder(QSaveFile& file) {
    const QFileInfo target(file.fileName());
    file.setDirectWriteFallback(target.exists() && target.isWritable() &&
                                !QFileInfo(target.absolutePath()).isWritable());
}
