#include "TraceWriter.h"

#include <cstdio>
#include <string>

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
        writeLine('>', report[0], report + 1, size - 1);
    }
}

void TTraceWriter::received(std::uint8_t reportId, const std::uint8_t* data, std::size_t size) {
    writeLine('<', reportId, data, size);
}

void TTraceWriter::writeLine(char direction, std::uint8_t first, const std::uint8_t* rest,
                             std::size_t restSize) {
    if (!file_.isOpen()) {
        return;
    }
    const qint64 ms = clock_.elapsed();
    char head[48];
    std::snprintf(head, sizeof head, "%lld.%03lld %c %02X", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000), direction, first);
    std::string line(head);
    line.reserve(line.size() + 3 * restSize + 1);
    for (std::size_t k = 0; k < restSize; ++k) {
        char pair[4];
        std::snprintf(pair, sizeof pair, " %02X", rest[k]);
        line += pair;
    }
    line += '\n';
    file_.write(line.data(), static_cast<qint64>(line.size()));
    file_.flush();
}
