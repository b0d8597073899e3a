#pragma once

// The 65-byte output report of every request: byte 0 the report ID 0, byte 1
// the command letter, byte 2 the sub-command letter, then either up to 24
// one-byte parameters or a block of up to 59 bytes from byte 3; every other
// byte is 0. The feature headers build every report the tool sends; this class
// is the framing they share, and what the main window hands to the device.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace protocol {

class CommandReport {
public:
    static constexpr std::size_t Size = 65;
    static constexpr std::size_t ParamCount = 24;
    static constexpr std::size_t MaxBlockSize = 59;
    using Bytes = std::array<std::uint8_t, Size>;
    using Params = std::array<std::uint8_t, ParamCount>;

    // Parameter form: params[0] goes to byte 3, params[23] to byte 26. A braced
    // list shorter than 24 leaves the rest 0.
    static CommandReport withParams(char cmd, char subCmd, const Params& params = {});

    // Block form: the block from byte 3 on. Only its first 59 bytes fit in the
    // report; the rest is not sent.
    static CommandReport withBlock(char cmd, char subCmd, std::span<const std::uint8_t> block);

    const Bytes& bytes() const { return bytes_; }
    std::uint8_t byte(std::size_t k) const { return k < Size ? bytes_[k] : 0; }

    friend bool operator==(const CommandReport&, const CommandReport&) = default;

private:
    CommandReport(char cmd, char subCmd);

    Bytes bytes_{};
};

}  // namespace protocol
