#pragma once

// brevalon-cli run in the tests' process on a simulated platform.

#include <QBuffer>
#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "sim/SimDevices.h"
#include "sim/SimHidPlatform.h"

struct Outcome {
    int exit = -1;
    std::string out;
    std::string err;
};

// A simulated platform with demo units BRV8-000001 onwards that answer at once.
struct Units {
    SimHidPlatform platform;
    std::vector<std::unique_ptr<SimUnitDevice>> devices;

    explicit Units(int count) : devices(attachDemoUnits(platform, count)) {
        for (auto& device : devices) {
            device->unit().behaviour().latencyMs = 0;
        }
    }

    VirtualUnit& unit(std::size_t k) { return devices[k]->unit(); }

    // `onOutput`, when given, sees the whole standard output each time it grows,
    // from the run's event loop.
    Outcome run(const QStringList& arguments, bool progress = false, const QByteArray& input = {},
                const std::function<void(const QByteArray&)>& onOutput = {}) {
        QBuffer out;
        if (onOutput) {
            QObject::connect(&out, &QBuffer::bytesWritten, &out, [&] { onOutput(out.data()); });
        }
        QBuffer err;
        QBuffer in;
        in.setData(input);
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        in.open(QIODevice::ReadOnly);
        cli::Streams streams{out, err, progress, &in};
        const int exit = cli::run(arguments, streams, &platform);
        return {exit, out.data().toStdString(), err.data().toStdString()};
    }

    std::size_t requestsSent() const {
        std::size_t count = 0;
        for (const SimTranscriptLine& line : platform.transcript()) {
            count += line.direction == '>' ? 1 : 0;
        }
        return count;
    }
};

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray memoryOf(VirtualUnit& unit) {
    return QByteArray(reinterpret_cast<const char*>(unit.memory().data()),
                      static_cast<qsizetype>(unit.memory().size()));
}
