# kernel_runs_32bit: true when this kernel executes 32-bit x86 programs.
#
# The check runs the smallest such program: a static i386 ELF of 96 bytes
# (ELF header, one loadable segment, and `mov ebx, 42; mov eax, 1; int 0x80`)
# that exits with 42. A kernel built without 32-bit support refuses to start
# it. MERU_SETUP_RUNS_32BIT=yes|no answers the question without asking the
# kernel (the set-up's own test uses it).
kernel_runs_32bit() {
    case "${MERU_SETUP_RUNS_32BIT:-}" in
        yes) return 0 ;;
        no) return 1 ;;
    esac
    local probe status
    probe=$(mktemp)
    printf '%b' \
        '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
        '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
        '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
        '\x00\x00\x00\x00' \
        '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
        '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
        '\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}
