#pragma once

// A recording of status samples as CSV, shared by the chart window and
// `brevalon-cli monitor`: the header, then one line per sample, each handed
// to the system as soon as it is written, so that a crash or a kill loses at
// most the line being written. Not a QSaveFile, which would keep nothing of a
// recording that never ends cleanly.

#include <QFile>
#include <QString>

#include <cstdint>

class QIODevice;

namespace monitor {
struct StatusSample;
}

// The arrival as a recording shows it: local time with milliseconds and its
// UTC offset, "2026-12-10T14:03:21.437+01:00", whatever the locale.
QString csvTime(std::int64_t timeMs);

class CsvRecorder {
public:
    // Replaces the file at `path` with the header; false, with errorString(),
    // when it cannot be written.
    bool open(const QString& path);
    // Records onto a device already open for writing (standard output).
    bool attach(QIODevice& device);
    // False, with errorString(), when the line could not be written; the
    // recording is closed then and the lines before it stay.
    bool write(const monitor::StatusSample& sample);
    void close();

    bool isOpen() const { return device_ != nullptr; }
    // Lines written after the header.
    std::int64_t lines() const { return lines_; }
    QString fileName() const { return fileName_; }
    QString errorString() const { return error_; }

private:
    bool writeText(const QByteArray& text);

    QFile file_;
    QIODevice* device_ = nullptr;
    QString fileName_;
    QString error_;
    std::int64_t lines_ = 0;
};
