#pragma once

// What `monitor` records, as its tests read it back.

#include <QByteArray>
#include <QRegularExpression>
#include <QStringList>

// The header, then one line per reply, each ending in CR LF; nothing after
// the last CR LF. Empty when the text does not end so.
inline QStringList csvLines(const QByteArray& text) {
    if (!text.endsWith("\r\n")) {
        return {};
    }
    QStringList lines = QString::fromUtf8(text).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

// A whole line: the arrival, then the eleven values.
inline bool isSampleLine(const QString& line) {
    static const QRegularExpression whole(QStringLiteral(
        "^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}[+-][0-9]{2}:[0-9]{2}"
        "(,[0-9]+){3}(,[01]){4},[0-9]+,-?[0-9]+\\.[0-9]{4},[0-9]+,[0-9]+$"));
    return whole.match(line).hasMatch();
}

inline const QString CsvHeader = QStringLiteral(
    "time,signal,rssi,network,input1,input2,input3,relay,analogRaw1,analogValue1,smsSent,"
    "smsReceived");
