#include "Version.h"

namespace meru {

std::string LongVersionText() {
    return std::string("Version ") + MERU_VERSION_TEXT + " (" + MERU_BUILD_DATE_TEXT + ")";
}

std::string ShortVersionText() {
    return std::string("Ver. ") + MERU_VERSION_TEXT + "\r\n(" + MERU_BUILD_DATE_TEXT + ")";
}

}  // namespace meru
