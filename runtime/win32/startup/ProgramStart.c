/* The programs' start-up code: what runs before WinMain (the C runtime's
 * set-up, the constructors, the command line handed to WinMain) and exit
 * after it. The toolchain ships it prebuilt for the Pentium Pro (crt2.o);
 * this is the toolchain's own source of it (crtexe.c and the runtime's
 * internal headers beside it, public domain, see DISCLAIMER.PD), compiled
 * like the rest of our code for the programs' processor floor. The linker
 * takes it instead of the prebuilt one (runtime/CMakeLists.txt).
 *
 * The source belongs to one version of the runtime: its globals and the
 * runtime library's functions it calls must be those of the installed
 * library, so any other version stops the build here. */
#include <_mingw_mac.h>
#if __MINGW64_VERSION_MAJOR != 10 || __MINGW64_VERSION_MINOR != 0
#error "The start-up source is mingw-w64 10.0's crtexe.c: replace it with the installed runtime version's own."
#endif

#include "crtexe.c"
