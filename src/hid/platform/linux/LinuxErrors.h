#pragma once

#include <cstdint>
#include <string>

// Error codes of the Linux backend: errno values, except that the few codes
// the HID layer looks at carry their Windows numbers (HidErrorInvalidHandle,
// HidErrorNotSupported, HidErrorInsufficientBuffer). errno values that would
// collide with those numbers are folded into a neighbour of the same meaning.

// The error code for an errno value.
std::uint32_t errorCodeFromErrno(int errnoValue);
// Records a failure of the calling thread.
void setLastErrorCode(std::uint32_t code);
// Records errno (translated) as the calling thread's last error.
void setLastErrorFromErrno(int errnoValue);
// The calling thread's last error code.
std::uint32_t lastErrorCode();
// The system's text for an error code.
std::string errorCodeMessage(std::uint32_t code);
