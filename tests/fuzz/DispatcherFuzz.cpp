// libFuzzer target: arbitrary replies of 0 to 80 bytes, with every tag of the
// table, handed to the main window's reply dispatcher while all windows are
// alive. The windows keep their state from one input to the next, as they do
// while a unit talks to them.

#include "DispatcherHarness.h"
#include "main/DevReader.h"

#include <QApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<DispatcherHarness> harness;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "fuzz_dispatcher";
    static char* argv[] = {name, nullptr};
    // Never destroyed: libFuzzer ends the process with exit(), and Qt's own
    // globals, destroyed at exit before anything created earlier, are still
    // used by a QApplication going away after them.
    static QApplication* const application = new QApplication(argc, argv);
    (void)application;
    harness = std::make_unique<DispatcherHarness>();
    // The windows release the unit and stop its reader while Qt is whole.
    std::atexit([] { harness.reset(); });
    if (!harness->connected()) {
        std::fprintf(stderr, "fuzz_dispatcher: the simulated unit was not connected\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    harness->dispatch(data, size);
    return 0;
}
