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

# Configures and builds the runtime and its tests (i686) into build/, or only the targets given.
build_runtime() {
    cmake -S "$root" -B "$root/build" -DQV_ARCH=i686 >/dev/null
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$root/build" -j "$(nproc)" "${targets[@]}" >&2
}

# The two halves of the test suite, run by tools/run-tests and timed by tools/ci-budget. Extra
# arguments go to ctest. The tests that run no Windows program, here:
run_host_tests() {
    ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)" -L host "$@"
}

# The rest, under 32-bit Wine through tools/with-wine32 (inside an emulated machine where this one
# cannot run 32-bit programs).
run_wine_tests() {
    "$root/tools/with-wine32" sh -c 'exec ctest --test-dir "$0" --output-on-failure -j "$(nproc)" -LE host "$@"' \
        "$root/build" "$@"
}
