#pragma once

#include <cstdio>
#include <string>

namespace inspect {

// Loads an S-record file with a fresh image and plug list and prints what it
// holds. False when the load failed (the reader has logged why).
bool ReportImageFile(const std::string& path, FILE* out);

}  // namespace inspect
