#include "CommandArguments.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "DriverErrors.h"
#include "Waiting.h"

namespace meru::driver {

namespace {
constexpr long kLargestId = 0xFFFF;
constexpr double kLongestWaitSeconds = 3600.0;
}  // namespace

const std::string& CommandArguments::Text(size_t index) const {
    if (index >= values_.size()) throw UsageError("missing argument " + std::to_string(index + 1));
    return values_[index];
}

int CommandArguments::Id(size_t index) const {
    const std::string& text = Text(index);
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(digits, &end, hex ? 16 : 10);
    if (text.empty() || *digits == '-' || *digits == '+' || end == digits || *end != '\0' || errno != 0 ||
        value < 0 || value > kLargestId) {
        throw UsageError("not an id (0..65535, decimal or 0x hex): \"" + text + "\"");
    }
    return static_cast<int>(value);
}

double CommandArguments::Seconds(size_t index) const {
    if (index >= values_.size()) return kDefaultWaitSeconds;
    const std::string& text = values_[index];
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0' || errno != 0 || !std::isfinite(value) ||
        value < 0.0 || value > kLongestWaitSeconds) {
        throw UsageError("not a time limit in seconds (0..3600): \"" + text + "\"");
    }
    return value;
}

}  // namespace meru::driver
