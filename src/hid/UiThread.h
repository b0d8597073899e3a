#pragma once

#include <functional>

// How the HID layer reaches the user-interface thread, on which all program
// logic runs. The application implements it with queued invocations on its
// event loop; tests implement it with a queue they pump by hand.
class UiThread {
public:
    virtual ~UiThread() = default;

    // Queues `task` to run on the user-interface thread, after the code that
    // is running there now has returned. Callable from any thread.
    virtual void post(std::function<void()> task) = 0;
};
