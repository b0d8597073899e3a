// How long filling the memory dump grid (512 rows x 9 columns) from the 128
// packets of a memory read takes, as the memory window fills it: per packet
// 4 rows of 8 hexadecimal cells and one 8-character text. Measured without
// and with one pass of the event loop after each packet, as the packets
// arrive, so that the repaints are counted too.

#include "widgets/TGrid.h"

#include <QApplication>
#include <QHeaderView>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPackets = 128;
constexpr int kRuns = 21;

void fillFromPackets(TGrid& grid, std::uint8_t seed, bool paint) {
    for (int packet = 0; packet < kPackets; ++packet) {
        std::array<std::uint8_t, 32> data{};
        for (std::size_t i = 0; i < data.size(); ++i) {
            data[i] = std::uint8_t(seed + packet * 32 + int(i));
        }
        QList<QStringList> rows;
        for (int k = 0; k < 4; ++k) {
            QStringList cells;
            QString text;
            for (int b = 0; b < 8; ++b) {
                const std::uint8_t byte = data[std::size_t(8 * k + b)];
                cells << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
                text += QChar(byte);
            }
            cells << text;
            rows << cells;
        }
        grid.setCells(0, 4 * packet, rows);
        if (paint) {
            QCoreApplication::processEvents();
        }
    }
}

std::unique_ptr<TGrid> makeGrid() {
    auto grid = std::make_unique<TGrid>();
    grid->setColumnCount(9);
    grid->setRowCount(512);
    grid->setGutterWidth(40);
    grid->horizontalHeader()->hide();
    for (int col = 0; col < 8; ++col) {
        grid->setColumnWidth(col, 40);
    }
    grid->setColumnWidth(8, 160);
    grid->resize(599, 480);
    grid->show();
    QCoreApplication::processEvents();
    return grid;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Fill>
double timeMs(Fill fill) {
    const auto start = std::chrono::steady_clock::now();
    fill();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    for (const bool paint : {false, true}) {
        const char* what = paint ? "with repaints" : "cells only";
        // A fresh grid each run: every cell's item is created.
        std::vector<double> fresh;
        for (int run = 0; run < kRuns; ++run) {
            auto grid = makeGrid();
            fresh.push_back(timeMs([&] { fillFromPackets(*grid, std::uint8_t(run), paint); }));
        }
        // One grid read again and again: items reused, every text changes.
        std::vector<double> again;
        auto grid = makeGrid();
        fillFromPackets(*grid, 0, paint);
        for (int run = 1; run <= kRuns; ++run) {
            again.push_back(timeMs([&] { fillFromPackets(*grid, std::uint8_t(run), paint); }));
        }
        std::printf("grid fill 512x9 from %d packets, %s, first read:  median %.2f ms of %d runs\n",
                    kPackets, what, median(fresh), kRuns);
        std::printf("grid fill 512x9 from %d packets, %s, later reads: median %.2f ms of %d runs\n",
                    kPackets, what, median(again), kRuns);
    }
    return 0;
}
