#pragma once

#include <string>
#include <vector>

namespace meru::driver {

// The arguments after the command name, with checked conversions. Every
// conversion that fails throws UsageError naming the argument.
class CommandArguments {
public:
    explicit CommandArguments(std::vector<std::string> values) : values_(std::move(values)) {}

    size_t Count() const { return values_.size(); }
    const std::string& Text(size_t index) const;
    // A control or command id: decimal, or hexadecimal with 0x; 0..65535.
    int Id(size_t index) const;
    // A time limit in seconds (fractions allowed); the default when absent.
    double Seconds(size_t index) const;

private:
    std::vector<std::string> values_;
};

}  // namespace meru::driver
