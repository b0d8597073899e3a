#include <thread>

#include "HidFixture.h"

namespace {

TEST(SimHidPlatform, LastErrorBelongsToTheCallingThread) {
    SimHidPlatform sim;
    EXPECT_EQ(sim.open("/missing", HidAccess::ReadWrite), InvalidHandle);
    std::uint32_t other = 99;
    std::thread([&] { other = sim.lastError(); }).join();
    EXPECT_EQ(sim.lastError(), SimErrorFileNotFound);
    EXPECT_EQ(other, 0u);
    std::u16string name;
    EXPECT_TRUE(sim.languageName(0x0407, name));
    EXPECT_EQ(name, u"German (Germany)");
    EXPECT_FALSE(sim.languageName(0x0001, name));
    EXPECT_EQ(sim.errorMessage(SimErrorDeviceNotConnected), "The device is not connected.");
}

TEST_F(HidTest, UnitThatDropsOffTheBusComesBackAsANewDevice) {
    sim.plug(testDevice("/a"));
    start();
    const std::uint32_t before = ctl->Devices()[0]->PnPInfo().DeviceID();
    log.take();
    sim.replugAfter("/a", std::chrono::milliseconds(20));
    ASSERT_TRUE(ui.pumpUntil([&] { return log.events.size() >= 4; }));
    EXPECT_EQ(log.take(),
              (std::vector<std::string>{"removal /a gone", "change", "arrival /a", "change"}));
    EXPECT_NE(ctl->Devices()[0]->PnPInfo().DeviceID(), before);
}

}  // namespace
