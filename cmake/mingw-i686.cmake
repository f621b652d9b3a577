# Cross build of the shipped Windows programs (32-bit) with mingw-w64.
set(MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# The oldest processor the shipped programs run on: meru.exe on a 486
# (Windows 95, 98 and NT 4.0 run there), Kestrelsvc.exe on a Pentium
# (Windows 2000); both are compiled for the 486, the lower of the two.
# devtools/cpu/check-instructions reads the built programs against
# devtools/cpu/floors.txt. The compiler alone defaults to the Pentium Pro.
set(MERU_CPU_FLOOR i486)
