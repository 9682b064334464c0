# Shared by scripts/run, scripts/test and .ci/run: package installation and
# builds.
# shellcheck shell=bash

TARNAVEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What a fresh Debian/Ubuntu machine needs to build and test everything.
TARNAVEL_PACKAGES=(
  cmake ninja-build g++ pkg-config
  clang libclang-rt-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64
  xvfb openbox trayer xdotool x11-utils imagemagick
  fonts-liberation
  procps psmisc
  nsis zip
)

# Installs the packages that are missing, and only those, so that
# apt-get update runs once at most. Quiet when it works; when it does not,
# apt's whole output is shown and the result is false.
install_missing() {
  local missing=()
  local pkg
  for pkg in "${TARNAVEL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local apt=(env DEBIAN_FRONTEND=noninteractive apt-get -q) log
  [ "$(id -u)" -ne 0 ] && apt=(sudo "${apt[@]}")
  log=$(mktemp)
  if ! { "${apt[@]}" update && "${apt[@]}" install -y "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "could not install the packages this needs" >&2
    return 1
  fi
  rm -f "$log"
}

# Configures and builds preset $1 into build/$2, with warnings as errors.
build_preset() {
  cmake --preset "$1" -S "$TARNAVEL_ROOT" -DTARNAVEL_WERROR=ON >/dev/null &&
    cmake --build "$TARNAVEL_ROOT/build/$2" --parallel
}

build_host() { build_preset host host; }
build_windows() { build_preset windows-cross win; }

# The version of resources/version.h as major.minor.patch ("1.0.0").
tarnavel_version() {
  local part value parts=()
  for part in MAJOR MINOR PATCH; do
    value=$(sed -n "s/^#define TARNAVEL_VERSION_$part \{1,\}\([0-9]\{1,\}\).*/\1/p" \
      "$TARNAVEL_ROOT/resources/version.h")
    [ -n "$value" ] || return 1
    parts+=("$value")
  done
  (IFS=.; echo "${parts[*]}")
}

TARNAVEL_EXE="$TARNAVEL_ROOT/build/win/platform/win32/tarnavel.exe"
TARNAVEL_E2E="$TARNAVEL_ROOT/build/win/tests/e2e/tarnavel_e2e.exe"
TARNAVEL_WIN32_TESTS="$TARNAVEL_ROOT/build/win/platform/win32/tests/tarnavel_win32_tests.exe"
