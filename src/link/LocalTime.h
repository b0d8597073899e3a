#pragma once

// A moment as the files the tool writes give it: its time of day (local
// time, for every moment the tool takes) with its UTC offset written out,
// "2026-12-10T14:03:21+01:00" ("+00:00" also for UTC, where Qt would write
// "Z"), whatever the locale.

#include <QDateTime>
#include <QString>

QString localTimeText(const QDateTime& time, bool milliseconds);
