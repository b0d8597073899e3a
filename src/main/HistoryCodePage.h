#pragma once

#include <QByteArray>
#include <QString>

// The saved history is 8-bit text in the system's ANSI code page. Each system
// has its own file of this function, chosen by the build.
QByteArray toHistoryCodePage(const QString& text);
