#pragma once

#include <cstdio>
#include <string>

namespace inspect {

// Lists the embedded firmware catalogue as the updater sees it, reading the
// images from a directory (normally updater/resources/firmware): the
// manifest, each table entry's identity, platforms and compatibility, and
// the choice the updater makes for every platform the images name. False
// when an image could not be loaded.
bool ReportCatalogue(const std::string& directory, FILE* out);

}  // namespace inspect
