#include "protocol/CommandReport.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "ReportBytes.h"

using protocol::CommandReport;

static std::vector<std::uint8_t> sentBytes(const CommandReport& r) {
    return {r.bytes().begin(), r.bytes().end()};
}

static std::vector<std::uint8_t> counting(std::size_t count) {
    std::vector<std::uint8_t> block(count);
    std::iota(block.begin(), block.end(), std::uint8_t{1});
    return block;
}

TEST(CommandReport, ParamsFillBytes3To26) {
    CommandReport::Params params{};
    std::iota(params.begin(), params.end(), std::uint8_t{1});
    EXPECT_EQ(sentBytes(CommandReport::withParams('G', 'S', params)),
              reportOf("00 47 53 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 "
                       "17 18"));
}

TEST(CommandReport, BlockOf32BytesFillsBytes3To34) {
    EXPECT_EQ(sentBytes(CommandReport::withBlock('S', 'P', counting(32))),
              reportOf("00 53 50 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 "
                       "17 18 19 1A 1B 1C 1D 1E 1F 20"));
}

TEST(CommandReport, BlockLongerThan59BytesIsCut) {
    const CommandReport r = CommandReport::withBlock('S', 'C', counting(70));
    EXPECT_EQ(r.byte(61), 59);
    EXPECT_EQ(r.byte(62), 0);
    EXPECT_EQ(r.byte(64), 0);
    EXPECT_EQ(r.byte(65), 0);
}
