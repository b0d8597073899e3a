#include "hid/platform/linux/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Bits past what a 16-bit byte length can express are of no interest, so sums
// and products stop there.
constexpr std::uint64_t BitLimit = std::uint64_t{0x10000} * 8;

constexpr std::uint8_t LongItemPrefix = 0xFE;
constexpr std::size_t MaxGlobalStackDepth = 64;

enum ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2 };
enum MainTag : std::uint8_t {
    Input = 0x8,
    Output = 0x9,
    Collection = 0xA,
    Feature = 0xB,
    EndCollection = 0xC
};
enum GlobalTag : std::uint8_t {
    UsagePage = 0x0,
    ReportSize = 0x7,
    ReportId = 0x8,
    ReportCount = 0x9,
    Push = 0xA,
    Pop = 0xB
};
enum LocalTag : std::uint8_t { Usage = 0x0 };
constexpr std::uint32_t ApplicationCollection = 0x01;

struct GlobalState {
    std::uint32_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

struct ReportBits {
    std::array<std::uint64_t, 256> bits{};
    std::array<bool, 256> declared{};

    void add(std::uint8_t id, std::uint64_t more) {
        bits[id] = std::min(bits[id] + more, BitLimit);
        declared[id] = true;
    }

    std::uint16_t lengthWithId() const {
        std::uint64_t largest = 0;
        bool any = false;
        for (std::size_t id = 0; id < bits.size(); ++id) {
            if (declared[id]) {
                any = true;
                largest = std::max(largest, (bits[id] + 7) / 8);
            }
        }
        if (!any) {
            return 0;
        }
        return static_cast<std::uint16_t>(std::min<std::uint64_t>(largest + 1, 0xFFFF));
    }
};

std::uint64_t fieldBits(const GlobalState& g) {
    if (g.reportSize != 0 && g.reportCount > BitLimit / g.reportSize) {
        return BitLimit;
    }
    return std::min<std::uint64_t>(std::uint64_t{g.reportSize} * g.reportCount, BitLimit);
}

}  // namespace

ReportDescriptor ReportDescriptor::parse(const std::uint8_t* bytes, std::size_t size) {
    ReportDescriptor result;
    if (bytes == nullptr) {
        return result;
    }

    GlobalState global;
    std::vector<GlobalState> stack;
    bool haveFirstUsage = false;
    std::uint32_t firstUsage = 0;
    std::uint8_t firstUsageSize = 0;
    std::size_t depth = 0;
    bool haveApplication = false;
    ReportBits input;
    ReportBits output;
    ReportBits feature;

    std::size_t pos = 0;
    while (pos < size) {
        const std::uint8_t prefix = bytes[pos];
        if (prefix == LongItemPrefix) {
            // Long items carry nothing the lengths depend on: skip them whole.
            if (size - pos < 3) {
                break;
            }
            const std::size_t dataSize = bytes[pos + 1];
            if (size - pos - 3 < dataSize) {
                break;
            }
            pos += 3 + dataSize;
            continue;
        }

        const std::uint8_t sizeCode = prefix & 0x3;
        const std::size_t dataSize = sizeCode == 3 ? 4 : sizeCode;
        if (size - pos - 1 < dataSize) {
            break;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < dataSize; ++i) {
            value |= std::uint32_t{bytes[pos + 1 + i]} << (8 * i);
        }
        pos += 1 + dataSize;

        const auto type = static_cast<std::uint8_t>((prefix >> 2) & 0x3);
        const auto tag = static_cast<std::uint8_t>(prefix >> 4);
        if (type == Main) {
            switch (tag) {
                case Input:
                    input.add(global.reportId, fieldBits(global));
                    break;
                case Output:
                    output.add(global.reportId, fieldBits(global));
                    break;
                case Feature:
                    feature.add(global.reportId, fieldBits(global));
                    break;
                case Collection:
                    if (depth == 0 && !haveApplication && (value & 0xFF) == ApplicationCollection) {
                        haveApplication = true;
                        if (haveFirstUsage && firstUsageSize == 4) {
                            result.usagePage_ = static_cast<std::uint16_t>(firstUsage >> 16);
                        } else {
                            result.usagePage_ = static_cast<std::uint16_t>(global.usagePage);
                        }
                        result.usage_ = static_cast<std::uint16_t>(firstUsage & 0xFFFF);
                    }
                    ++depth;
                    break;
                case EndCollection:
                    if (depth > 0) {
                        --depth;
                    }
                    break;
                default:
                    break;
            }
            haveFirstUsage = false;
            firstUsage = 0;
            firstUsageSize = 0;
        } else if (type == Global) {
            switch (tag) {
                case UsagePage:
                    global.usagePage = value;
                    break;
                case ReportSize:
                    global.reportSize = value;
                    break;
                case ReportCount:
                    global.reportCount = value;
                    break;
                case ReportId:
                    global.reportId =
                        static_cast<std::uint8_t>(std::min<std::uint32_t>(value, 0xFF));
                    result.numberedReports_ = true;
                    break;
                case Push:
                    if (stack.size() < MaxGlobalStackDepth) {
                        stack.push_back(global);
                    }
                    break;
                case Pop:
                    if (!stack.empty()) {
                        global = stack.back();
                        stack.pop_back();
                    }
                    break;
                default:
                    break;
            }
        } else if (type == Local && tag == Usage && !haveFirstUsage) {
            haveFirstUsage = true;
            firstUsage = value;
            firstUsageSize = static_cast<std::uint8_t>(dataSize);
        }
    }

    result.inputLength_ = input.lengthWithId();
    result.outputLength_ = output.lengthWithId();
    result.featureLength_ = feature.lengthWithId();
    return result;
}
