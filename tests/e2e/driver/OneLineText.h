#pragma once

#include <string>

namespace meru::driver {

// Control texts printed on one line: CR, LF and TAB become the two-character
// sequences \r, \n and \t, so "a\r\nb" prints as  a\r\nb  and tab-separated
// columns stay unambiguous. Backslashes are left alone (file paths stay
// readable), so the escaping is meant for matching, not for decoding.
std::string OneLine(const std::string& text);

// Writes the text and a single LF to standard output.
void PrintLine(const std::string& text);

}  // namespace meru::driver
