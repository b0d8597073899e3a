#include "Figures.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>

double Median(std::vector<double> values) {
    return Percentile(std::move(values), 0.5);
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index =
        static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

long ResidentKiB(int pid) {
    std::ifstream status("/proc/" + (pid == 0 ? std::string("self") : std::to_string(pid)) +
                         "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}
