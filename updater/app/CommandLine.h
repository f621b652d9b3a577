#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/RunOptions.h"

namespace meru {

// Enters one file argument in the main window's file list.
using AddFileFunction = std::function<void(const std::string& path)>;

// Reads the arguments after the program path (args[0]); does nothing else.
RunOptions ParseCommandLine(const std::vector<std::string>& args);

// What the main window's initialisation does with the command line, in the
// arguments' order: "-log" and "-nolog" switch the session log, "-debug"
// writes the command line and version to it, and every argument that is
// not an option is handed to `addFile`.
void ApplyCommandLine(const std::vector<std::string>& args, const AddFileFunction& addFile);

// Enters the command line's file arguments again (after the catalogue's
// choice) so that they take precedence over embedded images; true when
// there was one.
bool ReaddFileArguments(const std::vector<std::string>& args, const AddFileFunction& addFile);

// True when the arguments ask for "-restorepda" (any case).
bool RequestsPdaRestore(const std::vector<std::string>& args);

// C atoi rules (leading blanks, sign, digits; anything else gives 0),
// saturated to the 32-bit range instead of overflowing.
int AtoiValue(const std::string& text);

}  // namespace meru
