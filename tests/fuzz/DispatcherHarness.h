#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "ScriptedDialogService.h"
#include "link/QtUiThread.h"
#include "link/TraceWriter.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimUnitDevice.h"

class TApplicationWindows;
class TMainForm;

// The tool wired as the program wires it (main window, the seven windows, the
// trace of the link), on a simulated platform with one unit that is connected
// but never answers: every reply the dispatcher sees comes from the input.
// Needs a QApplication.
class DispatcherHarness {
public:
    // Builds the windows, shows the main window and runs the event loop until
    // the unit is the current device; connected() tells whether it became one.
    DispatcherHarness();
    ~DispatcherHarness();
    DispatcherHarness(const DispatcherHarness&) = delete;
    DispatcherHarness& operator=(const DispatcherHarness&) = delete;

    bool connected() const;
    TMainForm& main() const;

    // The data bytes (after the report ID) that `input` stands for. Input
    // byte 0 picks a tag of the dispatcher's table, which then leads the rest
    // of the input ("GA" and "GK" also get the selector letter in byte 4);
    // one more choice takes the rest of the input as the whole report, so
    // short reports and unknown tags are reached too. At most MaxReportBytes.
    static std::vector<std::uint8_t> report(const std::uint8_t* input, std::size_t size);
    static constexpr std::size_t MaxReportBytes = 80;

    // Hands the report `input` stands for to the dispatcher as the unit's
    // reader would, then runs whatever that queued on the event loop.
    void dispatch(const std::uint8_t* input, std::size_t size);

private:
    SimHidPlatform platform_;
    SimUnitDevice unit_;
    QtUiThread ui_;
    ScopedScriptedDialogs dialogs_;
    TTraceWriter trace_;
    std::unique_ptr<TApplicationWindows> windows_;
    unsigned dispatched_ = 0;
};
