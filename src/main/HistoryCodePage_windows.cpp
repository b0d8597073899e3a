#include "main/HistoryCodePage.h"

#include <QStringEncoder>

// Qt's system codec on Windows is the ANSI code page; a character the code
// page lacks becomes "?", as Windows itself converts it.
QByteArray toHistoryCodePage(const QString& text) {
    QStringEncoder ansi(QStringConverter::System);
    return ansi.encode(text);
}
