// The std::string and std::wstring code the programs use, instantiated here
// and so compiled like our own code. The library's prebuilt instances
// (string-inst.o) are built for newer processors and, built with
// exceptions, would bring the unwinder; with these in the link it is never
// searched for them.
#include <string>

namespace std {
_GLIBCXX_BEGIN_NAMESPACE_CXX11
template class basic_string<char>;
template class basic_string<wchar_t>;
_GLIBCXX_END_NAMESPACE_CXX11

template basic_string<char> operator+(const char*, const basic_string<char>&);
template basic_string<char> operator+(char, const basic_string<char>&);
template basic_string<wchar_t> operator+(const wchar_t*, const basic_string<wchar_t>&);
template basic_string<wchar_t> operator+(wchar_t, const basic_string<wchar_t>&);
}  // namespace std
