#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <thread>
#include <vector>

#include "ReportBytes.h"
#include "hid/platform/linux/HidrawChannels.h"
#include "hid/platform/linux/LinuxErrors.h"

// A sequenced-packet socket pair stands in for a hidraw node: like hidraw it
// hands over one message per read, polls readable when one is queued, and
// hangs up when the other side goes away. The tests play the device on the
// other end.

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t Forever = 60000;  // a bound that only a broken wake-up reaches
constexpr std::uint32_t Permission = 13;  // EACCES
constexpr std::uint32_t NoDevice = 19;    // ENODEV

class HidrawChannelTest : public ::testing::Test {
protected:
    // Opens a channel on one end of a fresh pair; the device plays the other.
    HidHandle open(HidAccess access, bool numberedReports = false) {
        int fds[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds), 0);
        device = fds[1];
        return channels.add(std::make_shared<HidrawChannel>(fds[0], access, numberedReports, 0));
    }

    void TearDown() override {
        if (device >= 0) {
            ::close(device);
        }
    }

    void send(const Bytes& report) const {
        ASSERT_EQ(::send(device, report.data(), report.size(), 0),
                  static_cast<ssize_t>(report.size()));
    }

    Bytes received() const {
        Bytes bytes(256);
        const ssize_t n = ::recv(device, bytes.data(), bytes.size(), MSG_DONTWAIT);
        bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return bytes;
    }

    HidrawChannels channels;
    int device = -1;
};

}  // namespace

TEST_F(HidrawChannelTest, ReadsGiveTheReportIdFirst) {
    struct Case {
        const char* name;
        bool numbered;
        Bytes sent;
        Bytes buffer;  // all 65 bytes of the buffer afterwards (0xEE untouched)
        std::uint32_t result;
    };
    const Case cases[] = {
        {"without numbered reports", false, reportOf("47 53 01", 64), reportOf("00 47 53 01"), 65},
        {"with numbered reports",
         true,
         {0x02, 0xAA, 0xBB},
         [] {
             Bytes b(65, 0xEE);
             b[0] = 0x02;
             b[1] = 0xAA;
             b[2] = 0xBB;
             return b;
         }(),
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HidHandle handle = open(HidAccess::OverlappedRead, c.numbered);
        const auto channel = channels.find(handle);
        Bytes buffer(65, 0xEE);
        ASSERT_TRUE(channel->startRead(buffer.data(), 65));
        send(c.sent);
        EXPECT_EQ(channel->wait(Forever), HidWaitResult::IoCompletion);
        EXPECT_EQ(channel->transferResult(), c.result);
        EXPECT_EQ(buffer, c.buffer);
        channels.close(handle);
        ::close(device);
        device = -1;
    }
}

TEST_F(HidrawChannelTest, WaitTimesOutOrIsInterruptedWithTheReadStillOutstanding) {
    const auto channel = channels.find(open(HidAccess::OverlappedRead));
    Bytes buffer(65, 0xEE);
    ASSERT_TRUE(channel->startRead(buffer.data(), 65));
    EXPECT_EQ(channel->transferResult(), 0u);
    EXPECT_EQ(channel->wait(1), HidWaitResult::Timeout);

    // An interrupt before the wait ends the next wait, and only that one.
    channel->interrupt();
    EXPECT_EQ(channel->wait(Forever), HidWaitResult::Interrupted);
    EXPECT_EQ(channel->wait(1), HidWaitResult::Timeout);

    // From another thread, while waiting.
    std::thread stopper([&] { channel->interrupt(); });
    EXPECT_EQ(channel->wait(Forever), HidWaitResult::Interrupted);
    stopper.join();

    send({0x01, 0x02});
    EXPECT_EQ(channel->wait(Forever), HidWaitResult::IoCompletion);
    EXPECT_EQ(channel->transferResult(), 3u);
    EXPECT_EQ(buffer[0], 0x00);
    EXPECT_EQ(buffer[2], 0x02);
}

TEST_F(HidrawChannelTest, CloseDuringAWaitEndsTheReadWithoutDataAndLaterStartsFail) {
    // Many rounds, so that the close lands both before and during the poll.
    for (int round = 0; round < 50; ++round) {
        const HidHandle handle = open(HidAccess::OverlappedRead);
        std::weak_ptr<HidrawChannel> watch = channels.find(handle);
        Bytes buffer(65, 0xEE);
        HidWaitResult result = HidWaitResult::Timeout;
        std::uint32_t bytes = 99;
        std::uint32_t restartError = 0;
        bool restarted = true;
        std::promise<void> started;
        std::thread reader([&] {
            const auto channel = channels.find(handle);
            const bool ok = channel->startRead(buffer.data(), 65);
            started.set_value();
            if (ok) {
                result = channel->wait(Forever);
                bytes = channel->transferResult();
                restarted = channel->startRead(buffer.data(), 65);
                restartError = lastErrorCode();
            }
        });
        started.get_future().wait();
        channels.close(handle);
        reader.join();

        EXPECT_EQ(result, HidWaitResult::IoCompletion);
        EXPECT_EQ(bytes, 0u);
        EXPECT_FALSE(restarted);
        EXPECT_EQ(restartError, HidErrorInvalidHandle);
        EXPECT_EQ(buffer, Bytes(65, 0xEE));
        EXPECT_EQ(channels.find(handle), nullptr);
        EXPECT_EQ(lastErrorCode(), HidErrorInvalidHandle);
        // Once nobody holds the channel its descriptor is closed: the device
        // sees the end of the link.
        EXPECT_TRUE(watch.expired());
        char byte = 0;
        EXPECT_EQ(::recv(device, &byte, 1, MSG_DONTWAIT), 0);
        ::close(device);
        device = -1;
    }
}

TEST_F(HidrawChannelTest, CancelEndsTheReadWithoutDataAndANewReadWorks) {
    const HidHandle handle = open(HidAccess::OverlappedRead);
    const auto channel = channels.find(handle);
    Bytes buffer(65, 0xEE);
    ASSERT_TRUE(channel->startRead(buffer.data(), 65));
    EXPECT_TRUE(channel->cancel());
    EXPECT_EQ(channel->wait(Forever), HidWaitResult::IoCompletion);
    EXPECT_EQ(channel->transferResult(), 0u);

    send({0x41});
    EXPECT_EQ(buffer, Bytes(65, 0xEE));
    ASSERT_TRUE(channel->startRead(buffer.data(), 65));
    EXPECT_EQ(channel->wait(Forever), HidWaitResult::IoCompletion);
    EXPECT_EQ(channel->transferResult(), 2u);
    EXPECT_EQ(buffer[1], 0x41);

    channels.close(handle);
    EXPECT_FALSE(channel->cancel());
    EXPECT_EQ(lastErrorCode(), HidErrorInvalidHandle);
}

TEST_F(HidrawChannelTest, ADeviceThatGoesAwayEndsTheReadAndLaterStartsFail) {
    const auto channel = channels.find(open(HidAccess::OverlappedRead));
    Bytes buffer(65, 0xEE);
    send({0x10, 0x11});
    ::close(device);
    device = -1;

    // What was queued before the device went is still delivered.
    ASSERT_TRUE(channel->startRead(buffer.data(), 65));
    EXPECT_EQ(channel->wait(Forever), HidWaitResult::IoCompletion);
    EXPECT_EQ(channel->transferResult(), 3u);

    ASSERT_TRUE(channel->startRead(buffer.data(), 65));
    EXPECT_EQ(channel->wait(Forever), HidWaitResult::IoCompletion);
    EXPECT_EQ(channel->transferResult(), 0u);
    EXPECT_FALSE(channel->startRead(buffer.data(), 65));
    EXPECT_EQ(lastErrorCode(), NoDevice);
}

TEST_F(HidrawChannelTest, BlockingReadGetsAReportOrEndsWhenClosed) {
    const HidHandle handle = open(HidAccess::ReadWrite);
    const auto channel = channels.find(handle);
    Bytes buffer(65, 0xEE);
    std::uint32_t bytesRead = 0;
    send({0x4F, 0x4B});
    ASSERT_TRUE(channel->read(buffer.data(), 65, bytesRead));
    EXPECT_EQ(bytesRead, 3u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), (Bytes{0x00, 0x4F, 0x4B, 0xEE}));

    bool readResult = true;
    std::uint32_t readError = 0;
    std::thread reader([&] {
        std::uint32_t n = 0;
        readResult = channel->read(buffer.data(), 65, n);
        readError = lastErrorCode();
    });
    channels.close(handle);
    reader.join();
    EXPECT_FALSE(readResult);
    EXPECT_EQ(readError, HidErrorInvalidHandle);
}

TEST_F(HidrawChannelTest, WritesSendExactlyTheBytesGiven) {
    const Bytes report = reportOf("00 47 53");
    std::uint32_t written = 0;
    const auto general = channels.find(open(HidAccess::ReadWrite));
    ASSERT_TRUE(general->write(report.data(), 65, written));
    EXPECT_EQ(written, 65u);
    EXPECT_EQ(received(), report);
    ::close(device);

    const auto async = channels.find(open(HidAccess::OverlappedWrite));
    ASSERT_TRUE(async->startWrite(report.data(), 3));
    EXPECT_EQ(async->wait(Forever), HidWaitResult::IoCompletion);
    EXPECT_EQ(async->transferResult(), 3u);
    EXPECT_EQ(received(), (Bytes{0x00, 0x47, 0x53}));
}

TEST_F(HidrawChannelTest, TransfersNeedAChannelOfTheirKind) {
    Bytes buffer(65, 0xEE);
    std::uint32_t n = 0;
    const auto general = channels.find(open(HidAccess::ReadWrite));
    EXPECT_FALSE(general->startRead(buffer.data(), 65));
    EXPECT_EQ(lastErrorCode(), Permission);
    EXPECT_FALSE(general->startWrite(buffer.data(), 65));
    EXPECT_EQ(lastErrorCode(), Permission);
    // Nothing outstanding: the wait runs out.
    EXPECT_EQ(general->wait(1), HidWaitResult::Timeout);
    ::close(device);

    const auto reader = channels.find(open(HidAccess::OverlappedRead));
    EXPECT_FALSE(reader->read(buffer.data(), 65, n));
    EXPECT_EQ(lastErrorCode(), Permission);
    EXPECT_FALSE(reader->write(buffer.data(), 65, n));
    EXPECT_EQ(lastErrorCode(), Permission);

    HidrawChannel queries(-1, HidAccess::QueryOnly, false, 0);
    EXPECT_FALSE(queries.read(buffer.data(), 65, n));
    EXPECT_EQ(lastErrorCode(), Permission);
    EXPECT_FALSE(queries.startRead(buffer.data(), 65));
    EXPECT_EQ(buffer, Bytes(65, 0xEE));
}
