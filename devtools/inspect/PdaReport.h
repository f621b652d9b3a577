#pragma once

#include <cstdio>
#include <string>

namespace inspect {

// Reads a .pda text file, applies it to a fresh Pda and prints the records
// and the end-record check. False when the file is invalid.
bool ReportPdaFile(const std::string& path, FILE* out);

}  // namespace inspect
