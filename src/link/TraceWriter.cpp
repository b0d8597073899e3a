#include "link/TraceWriter.h"

#include <string>
#include <vector>

#include "hid/TraceLine.h"

TTraceWriter::TTraceWriter(TTraceWriter& whole, const QString& unit)
    : whole_(&whole), unit_(unit.toStdString()) {}

bool TTraceWriter::open(const QString& path, QString& error) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = file_.errorString();
        return false;
    }
    clock_.start();
    return true;
}

void TTraceWriter::sent(const std::uint8_t* report, std::size_t size) {
    if (size > 0) {
        writeLine('>', std::span(report, size), unit_);
    }
}

void TTraceWriter::received(std::uint8_t reportId, const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> report{reportId};
    report.insert(report.end(), data, data + size);
    writeLine('<', report, unit_);
}

void TTraceWriter::writeLine(char direction, std::span<const std::uint8_t> report,
                             const std::string& unit) {
    if (whole_ != nullptr) {
        whole_->writeLine(direction, report, unit);
        return;
    }
    const std::lock_guard lock(mutex_);
    if (!file_.isOpen()) {
        return;
    }
    std::string line = traceLine(clock_.elapsed(), direction, report) + '\n';
    if (!unit.empty()) {
        line.insert(line.find(' '), ' ' + unit);
    }
    file_.write(line.data(), static_cast<qint64>(line.size()));
    file_.flush();
}
