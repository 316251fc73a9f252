# Shared by the build and test scripts.
shopt -s inherit_errexit
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Whether this machine executes 32-bit x86 programs (some virtual machines offer only 64-bit user
# mode). Wine runs the 32-bit runtime only where it does.
machine_runs_i386() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Configures and builds one target architecture into build/ (i686) or build-x86_64/.
build_arch() {
    local arch=$1 dir=$root/build
    [ "$arch" = x86_64 ] && dir=$root/build-x86_64
    cmake -S "$root" -B "$dir" -DQV_ARCH="$arch" >/dev/null
    cmake --build "$dir" -j "$(nproc)" >&2
    echo "$dir"
}
