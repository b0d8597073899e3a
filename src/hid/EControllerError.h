#pragma once

#include <stdexcept>

// Raised when a device object or a reader cannot be created.
class EControllerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
