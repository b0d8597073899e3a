#pragma once

// The link's trace as people read it: reports as upper-case hexadecimal
// pairs, and a trace line "12.345 > 00 47 53 ..." with the seconds since the
// trace began, ">" for tool-to-unit or "<" for unit-to-tool, and the report,
// report ID first. The program's trace file and the simulated platform's
// transcript both write it this way.

#include <cstdint>
#include <span>
#include <string>

// "00 47 53": each byte as two upper-case hexadecimal digits, spaces between.
std::string hexPairs(std::span<const std::uint8_t> bytes);
// One trace line, without its line end.
std::string traceLine(std::int64_t milliseconds, char direction,
                      std::span<const std::uint8_t> report);
