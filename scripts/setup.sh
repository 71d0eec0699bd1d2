# Shared by scripts/test and scripts/run: installs the Debian packages the build needs and
# configures and builds the project incrementally in build/. Sourced, not run.

OHMARA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian 12 packages the build, the tests and the benchmarks need.
OHMARA_PACKAGES=(cmake g++ make qt6-base-dev qt6-base-dev-tools libgl-dev libbenchmark-dev
                 libeigen3-dev ngspice qt6-charts-dev qt6-svg-dev libqt6opengl6-dev
                 locales)

ohmara_missing_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    echo "${missing[@]}"
}

# Installs what is missing; as non-root prints the exact command and fails.
ohmara_install() {
    local missing
    missing=$(ohmara_missing_packages "$@")
    [ -z "$missing" ] && return 0
    local cmd="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing"
    if [ "$(id -u)" != 0 ]; then
        echo "Ohmara needs Debian packages that are not installed. Run as root:" >&2
        echo "  $cmd" >&2
        return 1
    fi
    echo "Installing: $missing"
    apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing \
            >/dev/null
}

# The number tests check that answers ignore a decimal-comma locale; generate one if we can.
ohmara_locale() {
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
    [ "$(id -u)" = 0 ] && command -v localedef >/dev/null &&
        localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null
    return 0
}

# ohmara_build DIR [cmake options...]: configure once, then build incrementally.
ohmara_build() {
    local dir="$1"
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$OHMARA_ROOT" -B "$dir" "$@" >/dev/null || return 1
    fi
    cmake --build "$dir" -j"$(nproc)" -- --no-print-directory -s
}
