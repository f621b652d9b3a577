/* Shared by the C++ code and the resource script. */
#ifndef MERU_VERSION_H
#define MERU_VERSION_H

#define MERU_VERSION_TEXT "0.6.7"
#define MERU_BUILD_DATE_TEXT "Jan  2 2002"
#define MERU_WINDOW_TITLE "MERU: VELOX Station Update"
#define MERU_VERSION_STRING_ID 999

#ifdef __cplusplus
#include <string>
namespace meru {
// "Version 0.6.7 (Jan  2 2002)": the About box and "-debug".
std::string LongVersionText();
// "Ver. 0.6.7\r\n(Jan  2 2002)": the main window.
std::string ShortVersionText();
}  // namespace meru
#endif

#endif
