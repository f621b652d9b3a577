#pragma once

#include <stdexcept>
#include <string>

namespace meru::driver {

// The action could not be done (no such window, time limit reached...): exit code 1.
class DriverFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The command line is wrong: exit code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace meru::driver
