#include "link/ReportWriter.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "hid/THidDevice.h"
#include "link/TraceWriter.h"
#include "protocol/CommandReport.h"

bool writeCommandReport(THidDevice& device, const protocol::CommandReport& report,
                        TTraceWriter* trace) {
    const std::uint32_t toWrite = device.Caps().OutputReportByteLength;
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(toWrite, report.bytes().size()), 0);
    std::copy(report.bytes().begin(), report.bytes().end(), buffer.begin());
    if (trace != nullptr) {
        trace->sent(buffer.data(), toWrite);
    }
    std::uint32_t written = 0;
    return device.WriteFile(buffer.data(), toWrite, written);
}
