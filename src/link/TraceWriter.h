#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

// The trace of the link: one line per report, "12.345 > 00 47 53 ...", with
// the seconds since the writer was opened, ">" for tool-to-unit and "<" for
// unit-to-tool, and the report's bytes, report ID first, as upper-case hex
// pairs. Every line is flushed as it is written so that the trace survives a
// crash or a kill; this is also why it is a plain file and not a QSaveFile,
// which would only appear at a clean end.
//
// Units run side by side (brevalon-cli --all) share one trace: each has a
// writer made on the trace's, whose lines name the unit after the time, and
// lines are written whole, one at a time.
class TTraceWriter {
public:
    TTraceWriter() = default;
    // Writes into `whole`'s file, which outlives this writer, naming `unit`.
    TTraceWriter(TTraceWriter& whole, const QString& unit);
    TTraceWriter(const TTraceWriter&) = delete;
    TTraceWriter& operator=(const TTraceWriter&) = delete;

    // Creates or truncates `path`; false with `error` set when it cannot.
    bool open(const QString& path, QString& error);

    // `report` starts with the report ID byte.
    void sent(const std::uint8_t* report, std::size_t size);
    void received(std::uint8_t reportId, const std::uint8_t* data, std::size_t size);

private:
    void writeLine(char direction, std::span<const std::uint8_t> report, const std::string& unit);

    TTraceWriter* whole_ = nullptr;
    std::string unit_;
    std::mutex mutex_;
    QFile file_;
    QElapsedTimer clock_;
};
