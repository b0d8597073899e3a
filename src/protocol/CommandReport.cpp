#include "protocol/CommandReport.h"

#include <algorithm>

namespace protocol {

CommandReport::CommandReport(char cmd, char subCmd) {
    bytes_[1] = static_cast<std::uint8_t>(cmd);
    bytes_[2] = static_cast<std::uint8_t>(subCmd);
}

CommandReport CommandReport::withParams(char cmd, char subCmd, const Params& params) {
    CommandReport report(cmd, subCmd);
    std::copy(params.begin(), params.end(), report.bytes_.begin() + 3);
    return report;
}

CommandReport CommandReport::withBlock(char cmd, char subCmd, std::span<const std::uint8_t> block) {
    CommandReport report(cmd, subCmd);
    const std::size_t count = std::min(block.size(), MaxBlockSize);
    std::copy_n(block.begin(), count, report.bytes_.begin() + 3);
    return report;
}

}  // namespace protocol
