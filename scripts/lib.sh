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
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  fonts-liberation
  procps psmisc
  nsis zip unzip
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

# Runs the tests of preset $1 (more ctest arguments after it) and writes
# their JUnit report, whole outputs included, to the build's junit.xml.
run_ctest() {
  local preset=$1 dir
  shift
  case "$preset" in
    host) dir=build/host ;;
    fuzz) dir=build/fuzz ;;
    windows-cross) dir=build/win ;;
    *) return 2 ;;
  esac
  (cd "$TARNAVEL_ROOT" && ctest --preset "$preset" "$@" \
    --output-junit "$TARNAVEL_ROOT/$dir/junit.xml" \
    --test-output-size-passed 4000000 --test-output-size-failed 4000000)
}

# Whether clang links a fuzzer with the sanitizers here; the reason when not.
fuzzer_runtime() {
  local dir
  command -v clang++ >/dev/null || { echo "clang++ is not installed"; return 1; }
  dir=$(mktemp -d)
  echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
    >"$dir/probe.cpp"
  if ! clang++ -fsanitize=fuzzer,address,undefined "$dir/probe.cpp" -o "$dir/probe" \
    >"$dir/log" 2>&1; then
    echo "clang++ cannot link a fuzzer: $(head -n 1 "$dir/log")"
    rm -rf "$dir"
    return 1
  fi
  rm -rf "$dir"
}

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

TARNAVEL_EXE="$TARNAVEL_ROOT/build/win/win32/tarnavel.exe"
TARNAVEL_E2E="$TARNAVEL_ROOT/build/win/tests/e2e/tarnavel_e2e.exe"
TARNAVEL_WIN32_TESTS="$TARNAVEL_ROOT/build/win/tests/win32/tarnavel_win32_tests.exe"
