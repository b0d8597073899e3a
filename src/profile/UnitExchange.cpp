#include "profile/UnitExchange.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstddef>
#include <utility>

namespace profile {

namespace {

// A request has one or two replies; more than this many is a unit that
// talks on its own, and what it says is not kept.
constexpr std::size_t MaxUnclaimed = 16;

}  // namespace

EventLoopExchange::EventLoopExchange(Sender sender) : sender_(std::move(sender)) {}

bool EventLoopExchange::send(const protocol::CommandReport& report) {
    unclaimed_.clear();
    if (present_ && !sender_(report)) {
        present_ = false;
    }
    return present_;
}

std::optional<protocol::Reply> EventLoopExchange::waitFor(protocol::ReplyKind kind,
                                                          std::chrono::milliseconds timeout) {
    // One wait at a time: a second one, from a handler the first one's event
    // processing runs, would take the first one's reply.
    if (!present_ || loop_ != nullptr) {
        return std::nullopt;
    }
    const auto early = std::find_if(unclaimed_.begin(), unclaimed_.end(), [kind](const auto& r) {
        return protocol::replyKind(r) == kind;
    });
    if (early != unclaimed_.end()) {
        protocol::Reply reply = *early;
        unclaimed_.erase(unclaimed_.begin(), early + 1);
        return reply;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeout);
    loop_ = &loop;
    awaited_ = kind;
    loop.exec();
    loop_ = nullptr;
    awaited_ = protocol::ReplyKind::None;
    return std::exchange(caught_, std::nullopt);
}

void EventLoopExchange::replyArrived(const protocol::Reply& reply) {
    if (loop_ != nullptr && !caught_ && awaited_ != protocol::ReplyKind::None &&
        protocol::replyKind(reply) == awaited_) {
        caught_ = reply;
        loop_->quit();
    } else if (unclaimed_.size() < MaxUnclaimed) {
        unclaimed_.push_back(reply);
    }
}

void EventLoopExchange::unitLeft() {
    present_ = false;
    if (loop_ != nullptr) {
        loop_->quit();
    }
}

void EventLoopExchange::unitArrived() {
    present_ = true;
    cancelled_ = false;
    unclaimed_.clear();
}

void EventLoopExchange::cancel() {
    cancelled_ = true;
    unitLeft();
}

}  // namespace profile
