#pragma once

// Replies as the dispatcher sees them, from reports written as text.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "ReportBytes.h"
#include "protocol/Reply.h"

namespace protocol_test {

// The reply in a full report of zeros with each piece placed from its report
// byte number on. The report ID (byte 0) is not part of the data.
inline protocol::Reply reply(
    std::initializer_list<std::pair<std::size_t, std::string_view>> pieces) {
    const std::vector<std::uint8_t> report = reportWith(pieces);
    return protocol::Reply(std::span(report).subspan(1));
}

}  // namespace protocol_test
