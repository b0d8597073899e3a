#include "profile/UnitExchange.h"

#include <QEventLoop>
#include <QTimer>

#include <utility>

namespace profile {

EventLoopExchange::EventLoopExchange(Sender sender) : sender_(std::move(sender)) {}

bool EventLoopExchange::send(const protocol::CommandReport& report) {
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
    }
}

void EventLoopExchange::unitLeft() {
    present_ = false;
    if (loop_ != nullptr) {
        loop_->quit();
    }
}

}  // namespace profile
