# Shared by the build and test scripts.
shopt -s inherit_errexit
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Whether this machine executes 32-bit x86 programs (some virtual machines offer only 64-bit user
# mode). Where it does not, tools/with-wine32 runs Wine inside an emulated machine.
machine_runs_i386() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Whether tools/with-wine32 takes the emulated machine.
wine32_emulated() {
    [ "${QV_EMULATE:-0}" = 1 ] || ! machine_runs_i386
}

# Configures and builds the runtime and its tests (i686) into build/.
build_runtime() {
    cmake -S "$root" -B "$root/build" -DQV_ARCH=i686 >/dev/null
    cmake --build "$root/build" -j "$(nproc)" >&2
}
