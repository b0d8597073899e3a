#include "main/HistoryCodePage.h"

#include <QStringEncoder>

// Systems without an ANSI code page (Linux's own is UTF-8) keep the file
// 8-bit with Latin-1, "?" standing for a character outside it.
QByteArray toHistoryCodePage(const QString& text) {
    QStringEncoder latin1(QStringConverter::Latin1);
    return latin1.encode(text);
}
