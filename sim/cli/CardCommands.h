#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sim {

// The commands of velox-sim-card (usage: sim/README.md). `args` are the
// words after the program name. The exit code: 0 done, 1 failed, 2 usage.
int RunCardCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace sim
