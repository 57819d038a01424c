#!/usr/bin/env bash
# One entry for building and running Perlowan on Debian 12.
#   perlowan.sh demo   install what is missing, build, run the demo (the diary window on a
#                      desktop, the headless exchange without a display)
#   perlowan.sh test   install what is missing, build and run every test, normal and sanitized,
#                      then each fuzz target for 20 s
#   perlowan.sh bench  build the benchmarks and run them
#   perlowan.sh fuzz [seconds]  build the libFuzzer targets with clang and run each briefly
#   perlowan.sh package  build the Debian package build-package/package/perlowan_<version>_<arch>.deb
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev libssl-dev nlohmann-json3-dev
  python3 python3-spyne
  mingw-w64-tools
  clang libclang-rt-14-dev
  locales-all
  libfltk1.3-dev xvfb xauth xdotool imagemagick
  libpng-dev dpkg-dev desktop-file-utils
)

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "perlowan: missing Debian packages: ${missing[*]}" >&2
    echo "perlowan: run this script as root, or install them with apt-get" >&2
    exit 1
  fi
  echo "perlowan: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build <build dir> [cmake options...]
configure_and_build() {
  local dir=$1
  shift
  # ccache, where installed, keeps rebuilds of several checkouts of the tree cheap.
  if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="$root"
    set -- -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@"
  fi
  cmake -S "$root" -B "$root/$dir" -G Ninja "$@" >/dev/null
  cmake --build "$root/$dir" -j "$jobs"
}

run_tests() {
  local dir=$1
  ctest --test-dir "$root/$dir" -j "$jobs" --output-on-failure --timeout 300
}

# run_fuzz <seconds>: the libFuzzer targets, built with clang, each run for <seconds>
# from its seeds in fuzz/seeds/ and the corpus it grew before; a crash, a sanitizer report or a
# time-out fails the command and leaves the input in build-fuzz/artifacts/.
run_fuzz() {
  local seconds=$1
  CC=clang CXX=clang++ configure_and_build build-fuzz -DCMAKE_BUILD_TYPE=Debug \
    -DPERLOWAN_TESTS=OFF -DPERLOWAN_FUZZ=ON
  local f name corpus artifacts seeds extra ran=0
  for f in "$root"/build-fuzz/bin/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    corpus="$root/build-fuzz/corpus/$name"
    artifacts="$root/build-fuzz/artifacts/$name/"
    mkdir -p "$corpus" "$artifacts"
    seeds=()
    [ -d "$root/fuzz/seeds/${name#fuzz_}" ] && seeds+=("$root/fuzz/seeds/${name#fuzz_}")
    # More seed folders elsewhere in the repository, one path relative to its root per line.
    if [ -f "$root/fuzz/seeds/${name#fuzz_}.paths" ]; then
      while read -r extra; do
        [ -n "$extra" ] || continue
        if [ ! -d "$root/$extra" ]; then
          echo "perlowan: seed folder $extra of $name is missing" >&2
          return 1
        fi
        seeds+=("$root/$extra")
      done < "$root/fuzz/seeds/${name#fuzz_}.paths"
    fi
    echo "perlowan: $name for ${seconds}s"
    # The instrumented code has many features; the entropic schedule's bookkeeping of them would
    # take most of a short run.
    "$f" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -entropic=0 \
      -artifact_prefix="$artifacts" "$corpus" "${seeds[@]}"
    ran=$((ran + 1))
  done
  if [ "$ran" -eq 0 ]; then
    echo "perlowan: no fuzz targets were built" >&2
    return 1
  fi
}

case "${1:-}" in
  demo)
    install_packages
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    # A display that is set and answers (a stale DISPLAY of a closed session does not count).
    if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
      # On a desktop: the diary's window with the add-in; the exchange is the user's to start.
      work=$(mktemp -d)
      echo "perlowan: the diary window opens (menu Add-ins, Perlowan); close it to end the demo"
      "$root/build/bin/telmora" --registry "$work/registry" \
        --register "$root/build/lib/libPerlowan.so" --settings "$work/settings" --quiet-trace --gui
      rm -rf "$work"
    else
      "$root/build/bin/perlowan-demo"
    fi
    ;;
  test)
    install_packages
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    run_tests build
    echo "perlowan: sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer)"
    configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DPERLOWAN_SANITIZE=ON
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 run_tests build-asan
    echo "perlowan: fuzz targets, 20 s each"
    run_fuzz 20
    ;;
  bench)
    install_packages
    configure_and_build build-bench -DCMAKE_BUILD_TYPE=Release -DPERLOWAN_TESTS=OFF -DPERLOWAN_BENCH=ON
    for b in "$root"/build-bench/bin/bench_*; do
      [ -x "$b" ] || continue
      # The desktop view's benchmark draws on a screen: a virtual one when there is none.
      if [ "$(basename "$b")" = bench_gui ] && [ -z "${DISPLAY:-}" ]; then
        xvfb-run -a -s "-screen 0 1280x1024x24" "$b"
      else
        "$b"
      fi
    done
    ;;
  fuzz)
    install_packages
    run_fuzz "${2:-30}"
    ;;
  package)
    install_packages
    configure_and_build build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPERLOWAN_TESTS=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr
    (cd "$root/build-package" && cpack -G DEB)
    ls "$root"/build-package/package/*.deb
    ;;
  *)
    echo "usage: $0 demo|test|bench|fuzz [seconds]|package" >&2
    exit 2
    ;;
esac
