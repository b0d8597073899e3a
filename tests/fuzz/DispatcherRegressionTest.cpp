// What the dispatcher's fuzz target reaches, as ordinary tests: replies of
// every tag cut at every length, and the inputs the fuzzer found faults with.

#include <gtest/gtest.h>

#include <QLabel>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "DispatcherHarness.h"
#include "main/DevReader.h"

namespace {

// The firmware label after a "GF" reply carrying `text`: the dispatcher
// still routes replies and the main window still shows them.
QString firmwareShownAfter(DispatcherHarness& harness, const std::string& text) {
    // Choice 0: "GF", then the text from byte 3.
    std::vector<std::uint8_t> input(text.size() + 1, 0);
    std::copy(text.begin(), text.end(), input.begin() + 1);
    harness.dispatch(input.data(), input.size());
    return harness.main().findChild<QLabel*>(QStringLiteral("lbFirmwareInfo"))->text();
}

}  // namespace

TEST(DispatcherFuzzRegression, EveryTagCutAtEveryLengthUpTo80Bytes) {
    DispatcherHarness harness;
    ASSERT_TRUE(harness.connected());
    // Choices 0 to 12 are the tags of the table, 13 a report taken as it is.
    for (const std::uint8_t fill : {0x00, 0xFF, 0x30}) {
        for (std::uint8_t choice = 0; choice <= 13; ++choice) {
            for (std::size_t length = 0; length <= DispatcherHarness::MaxReportBytes; ++length) {
                std::vector<std::uint8_t> input(length + 1, fill);
                input[0] = choice;
                harness.dispatch(input.data(), input.size());
            }
        }
    }
    EXPECT_EQ(firmwareShownAfter(harness, "FW 2.1"), QStringLiteral("FW 2.1"));
}
