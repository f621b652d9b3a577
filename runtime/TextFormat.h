#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace velox {

// printf-style formatting of our own, in place of the C runtime's printf
// family: the toolchain's printf (mingw's pformat with its float
// conversion) is built for newer processors than the programs run on, and
// only this much of it is ever used. It knows:
//   conversions  %d %i %u %x %X %s %c %%
//   flags        '-' (left-align) and '0' (pad numbers with zeros)
//   width        digits or '*'
//   precision    '.' digits or '*': the most characters of %s, the fewest
//                digits of a number
//   length       h, l, ll, z
// Anything else (a float conversion, %n, %p) is copied to the text as
// written and consumes no argument. A null %s prints "(null)".
//
// Like snprintf: writes at most size - 1 characters and a terminating NUL
// into buffer (nothing when size is 0) and returns the length of the whole
// text, however much fitted.
int FormatText(char* buffer, std::size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
int FormatTextV(char* buffer, std::size_t size, const char* format, va_list args);

// The whole text as a string.
std::string FormatString(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatStringV(const char* format, va_list args);

}  // namespace velox
