#pragma once

// How the profile operations talk to a unit: send a request, then wait for
// the next reply of one kind. Replies of other kinds that come meanwhile (a
// status poll's, a late copy of an earlier reply) are passed over.

#include <chrono>
#include <deque>
#include <functional>
#include <optional>

#include "protocol/CommandReport.h"
#include "protocol/Reply.h"

class QEventLoop;

namespace profile {

class UnitExchange {
public:
    virtual ~UnitExchange() = default;

    // False when the report could not go out: the unit has left.
    virtual bool send(const protocol::CommandReport& report) = 0;
    // The next reply of `kind`; none once `timeout` has passed or the unit
    // has left.
    virtual std::optional<protocol::Reply> waitFor(protocol::ReplyKind kind,
                                                   std::chrono::milliseconds timeout) = 0;
    // False once the unit has left.
    virtual bool present() const = 0;
};

// An exchange whose waits block in the Qt event loop of the thread that runs
// them, until the reply comes, the unit leaves or the time is up. Its owner
// sends through `sender` and hands it, on that same thread, every reply of the
// unit and the unit's leaving.
class EventLoopExchange final : public UnitExchange {
public:
    // Sends one report; false when it could not be written.
    using Sender = std::function<bool(const protocol::CommandReport& report)>;

    explicit EventLoopExchange(Sender sender);

    bool send(const protocol::CommandReport& report) override;
    std::optional<protocol::Reply> waitFor(protocol::ReplyKind kind,
                                           std::chrono::milliseconds timeout) override;
    bool present() const override { return present_; }

    // A reply of the unit. It counts only for the request sent last: one
    // that came before that request was sent answers something else. A reply
    // that comes before its wait starts (while the caller shows progress,
    // which may run the event loop) is kept for that wait.
    void replyArrived(const protocol::Reply& reply);
    // The unit has left: a wait that runs ends, and nothing is sent any more.
    void unitLeft();
    // The unit is there again (opened anew after it left): waits and sends
    // work as for a new exchange.
    void unitArrived();
    // The user gave the operation up: it ends as if the unit had left.
    void cancel();
    bool cancelled() const { return cancelled_; }

private:
    Sender sender_;
    bool present_ = true;
    bool cancelled_ = false;
    QEventLoop* loop_ = nullptr;
    protocol::ReplyKind awaited_ = protocol::ReplyKind::None;
    std::optional<protocol::Reply> caught_;
    // Replies since the last request that no wait took yet.
    std::deque<protocol::Reply> unclaimed_;
};

}  // namespace profile
