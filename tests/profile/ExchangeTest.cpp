// The exchange the window program and brevalon-cli wait in: which replies
// answer the request sent last.

#include "profile/UnitExchange.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <span>

#include "ReportBytes.h"
#include "protocol/GsmNumbers.h"

using namespace std::chrono_literals;
using protocol::ReplyKind;

namespace {

protocol::Reply replyOf(const char* hex) {
    const std::vector<std::uint8_t> bytes = reportOf(hex);
    // Without the report ID, as the reader delivers it.
    return protocol::Reply(std::span(bytes).subspan(1));
}

TEST(EventLoopExchangeTest, TakesOnlyRepliesThatCameAfterTheLastRequest) {
    int argc = 1;
    char name[] = "exchange";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    profile::EventLoopExchange exchange([](const protocol::CommandReport&) { return true; });
    const protocol::CommandReport request = protocol::requestGsmNumber(0);

    // An acknowledgement of an earlier request answers nothing sent now.
    exchange.replyArrived(replyOf("00 53 4E"));
    ASSERT_TRUE(exchange.send(request));
    EXPECT_FALSE(exchange.waitFor(ReplyKind::GsmNumberAck, 1ms));

    // One that came after the request but before the wait began is kept, also
    // behind a reply of another kind.
    ASSERT_TRUE(exchange.send(request));
    exchange.replyArrived(replyOf("00 47 53"));
    exchange.replyArrived(replyOf("00 53 4E"));
    EXPECT_TRUE(exchange.waitFor(ReplyKind::GsmNumberAck, 1ms));
    EXPECT_FALSE(exchange.waitFor(ReplyKind::GsmNumberAck, 1ms));
}

}  // namespace
