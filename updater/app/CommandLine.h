#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Settings.h"

namespace meru {

// Enters one file argument in the main window's file list.
using AddFileFunction = std::function<void(const std::string& path)>;

// Reads the arguments after the program path (args[0]) into `settings`;
// every argument that is not an option is handed to `addFile`.
void ParseCommandLine(const std::vector<std::string>& args, Settings& settings,
                      const AddFileFunction& addFile);

// Enters the command line's file arguments again (after the catalogue's
// choice) so that they take precedence over embedded images.
void ReaddFileArguments(const std::vector<std::string>& args, Settings& settings,
                        const AddFileFunction& addFile);

// True when the arguments ask for "-restorepda" (any case).
bool RequestsPdaRestore(const std::vector<std::string>& args);

// C atoi rules (leading blanks, sign, digits; anything else gives 0),
// saturated to the 32-bit range instead of overflowing.
int AtoiValue(const std::string& text);

}  // namespace meru
