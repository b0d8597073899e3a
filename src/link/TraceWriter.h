#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>

// The trace of the link: one line per report, "12.345 > 00 47 53 ...", with
// the seconds since the writer was opened, ">" for tool-to-unit and "<" for
// unit-to-tool, and the report's bytes, report ID first, as upper-case hex
// pairs. Every line is flushed as it is written so that the trace survives a
// crash or a kill; this is also why it is a plain file and not a QSaveFile,
// which would only appear at a clean end.
class TTraceWriter {
public:
    // Creates or truncates `path`; false with `error` set when it cannot.
    bool open(const QString& path, QString& error);

    // `report` starts with the report ID byte.
    void sent(const std::uint8_t* report, std::size_t size);
    void received(std::uint8_t reportId, const std::uint8_t* data, std::size_t size);

private:
    void writeLine(char direction, std::span<const std::uint8_t> report);

    QFile file_;
    QElapsedTimer clock_;
};
