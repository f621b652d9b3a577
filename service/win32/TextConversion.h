#pragma once

#include <string>

namespace kestrel {

// UTF-8 (the portable code's text) to and from UTF-16 (the Windows API's).
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

}  // namespace kestrel
