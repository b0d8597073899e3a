#pragma once

// The Windows headers the backend needs. hid.dll's headers declare plain C
// functions without saying so, hence the wrapper.

#include <windows.h>

extern "C" {
#include <hidsdi.h>
}
