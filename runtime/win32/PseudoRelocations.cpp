// The start-up code calls this to patch, at run time, references to data a
// DLL exports that the code reached without dllimport (pseudo-relocations).
// The programs are linked with --disable-runtime-pseudo-reloc, so the linker
// refuses any such reference and there is nothing to patch: this stands in
// for the runtime's own version, whose section lookup is built for newer
// processors. Only the shipped programs link it (velox_program_start).
extern "C" void _pei386_runtime_relocator() {}
