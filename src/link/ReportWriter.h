#pragma once

// How the window program and brevalon-cli put a command report on the link.

class THidDevice;
class TTraceWriter;

namespace protocol {
class CommandReport;
}

// Writes `report` to `device` as an output report of the length the device
// declares: the report's bytes first, zeros after them should it declare a
// longer one. The written bytes go to `trace` too, when it is not null.
// False when the write failed.
bool writeCommandReport(THidDevice& device, const protocol::CommandReport& report,
                        TTraceWriter* trace);
