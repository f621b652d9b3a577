# The same programs built for x86-64: the end-to-end tests run these under
# 64-bit Wine where the kernel cannot run 32-bit code.
set(MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
