#!/usr/bin/env bash
# The Debian package end to end: CPack builds it from the build folder, its metadata and files
# are checked, it is unpacked into a scratch root, and the host installed there is started
# headless from the installed files only, with a fresh home folder, so that its first start
# registers the add-in. A missing tool fails the test.
#   install_test.sh BUILD_DIR CPACK VERSION PREFIX LIBDIR "ICON SIZES"
# (LIBDIR: the libraries' folder below PREFIX)
set -euo pipefail

build=$1 cpack=$2 version=$3 prefix=${4#/} libdir=$5 sizes=$6

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for tool in "$cpack" dpkg dpkg-deb dpkg-shlibdeps desktop-file-validate readelf ldd od; do
  command -v "$tool" >/dev/null 2>&1 ||
    fail "the tool $tool is missing (Debian packages: dpkg-dev desktop-file-utils binutils)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/perlowan-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

# ---- the package
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb: ${debs[*]}"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "perlowan_${version}_${arch}.deb" ] || fail "file name $(basename "$deb")"

field() { dpkg-deb --field "$deb" "$1"; }
expect_field() {
  local value
  value=$(field "$1")
  [[ $value =~ $2 ]] || fail "field $1 is \"$value\", expected to match $2"
}
expect_field Package '^perlowan$'
expect_field Version "^${version//./\\.}$"
expect_field Architecture "^${arch}$"
expect_field Section '^science$'
expect_field Priority '^optional$'
expect_field Maintainer '^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$'
expect_field Description '^Telmora diabetes diary host with the Perlowan tips add-in'$'\n'' The program telmora '
# Computed by dpkg-shlibdeps from the programs and libraries, not written by hand.
expect_field Depends '(^|, )libc6 \(>= [0-9.]+\)'
expect_field Depends '(^|, )libstdc\+\+6 \(>= [0-9.]+\)'
expect_field Depends '(^|, )libcurl4 \(>= [0-9.~]+\)'
expect_field Depends '(^|, )libfltk1\.3 \(>= [0-9.~]+\)'
if field Depends | grep -qi perlowan; then fail "the package depends on its own libraries"; fi

# Exactly these files, owned by root.
expected=("./$prefix/bin/telmora"
  "./$prefix/$libdir/libPerlowan.so"
  "./$prefix/$libdir/libPerlowanRuntime.so"
  "./$prefix/share/applications/telmora.desktop")
for size in $sizes; do expected+=("./$prefix/share/icons/hicolor/${size}x${size}/apps/perlowan.png"); done
dpkg-deb --contents "$deb" >"$work/contents"
actual=$(awk '$1 !~ /^d/ { print $6 }' "$work/contents" | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$actual" = "$wanted" ] || fail "package files differ:"$'\n'"$(diff <(echo "$wanted") <(echo "$actual"))"
if awk '{ print $2 }' "$work/contents" | grep -qv '^root/root$'; then
  fail "files not owned by root:"$'\n'"$(cat "$work/contents")"
fi
grep -q "^-rwxr-xr-x .* \./$prefix/bin/telmora$" "$work/contents" || fail "telmora is not executable"

# ---- unpacked into a scratch root
root="$work/root"
dpkg-deb --extract "$deb" "$root"

runpath() { readelf --dynamic "$1" | sed -n 's/.*(RUNPATH) *Library runpath: \[\(.*\)\]/\1/p'; }
bin_to_lib=$(realpath --relative-to="$root/$prefix/bin" "$root/$prefix/$libdir")
[ "$(runpath "$root/$prefix/bin/telmora")" = "\$ORIGIN/$bin_to_lib" ] ||
  fail "RUNPATH of telmora: $(runpath "$root/$prefix/bin/telmora")"
[ "$(runpath "$root/$prefix/$libdir/libPerlowan.so")" = "\$ORIGIN" ] ||
  fail "RUNPATH of libPerlowan.so: $(runpath "$root/$prefix/$libdir/libPerlowan.so")"
for file in "$root/$prefix/bin/telmora" "$root/$prefix/$libdir/libPerlowan.so"; do
  links=$(env -u LD_LIBRARY_PATH ldd "$file")
  if grep -q 'not found' <<<"$links"; then fail "unresolved libraries of $file:"$'\n'"$links"; fi
  runtime=$(awk '$1 == "libPerlowanRuntime.so" { print $3 }' <<<"$links")
  [ -n "$runtime" ] && [ "$(realpath "$runtime")" = "$root/$prefix/$libdir/libPerlowanRuntime.so" ] ||
    fail "$file does not find the installed runtime:"$'\n'"$links"
done

desktop="$root/$prefix/share/applications/telmora.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate refused the desktop entry"
grep -qx 'Exec=telmora --gui' "$desktop" || fail "Exec line of the desktop entry"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in $sizes; do
  png="$root/$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  [ -f "$png" ] || fail "no icon $png for the desktop entry's Icon=$icon"
  # The signature, then the IHDR chunk with width and height (big-endian).
  header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
  [ "${header:0:16}" = 89504e470d0a1a0a ] || fail "$png is no PNG"
  [ $((16#${header:32:8})) -eq "$size" ] && [ $((16#${header:40:8})) -eq "$size" ] ||
    fail "$png is not ${size}x${size}"
done

# ---- the installed host, headless, from the installed files only
home="$work/home"
mkdir -p "$home"
telmora() {
  local program=$1
  shift
  (cd "$work" && env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
    ${ASAN_OPTIONS+ASAN_OPTIONS="$ASAN_OPTIONS"} ${UBSAN_OPTIONS+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
    "$program" "$@")
}
session=$'today 2016-03-31\nstart\nmenu\nclick cmdStartExport\nlog\nstore\nhide\nstop\n'
registry="$home/.local/share/perlowan/registry"

run_session() {  # run_session ROOT NAME
  if ! telmora "$1/$prefix/bin/telmora" --settings "$work/settings" --quiet-trace --script - \
    <<<"$session" >"$work/$2.out" 2>"$work/$2.err"; then
    cat "$work/$2.err" >&2
    fail "$2: the installed host failed"
  fi
}

run_session "$root" first
grep -q "Perlowan.cITelmora is not registered .*; registering the installed add-in" "$work/first.err" ||
  fail "first start did not register the add-in:"$'\n'"$(cat "$work/first.err")"
grep -rqF "$root/$prefix/$libdir/libPerlowan.so" "$registry" ||
  fail "the user's registry does not name the installed add-in"
grep -q 'PerlowanUpload(".*") = True' "$work/first.out" ||
  fail "no exchange in the session:"$'\n'"$(cat "$work/first.out")"
grep -q '^\[Tipps\]' "$work/settings/Perlowan.dat" || fail "the exchange stored no tips"

run_session "$root" second
if grep -q registering "$work/second.err"; then fail "the second start registered again"; fi

# Moved elsewhere, the registration names a library that is gone: the next start repairs it.
mv "$root" "$work/moved"
run_session "$work/moved" moved
grep -q "names the missing library $root/$prefix/$libdir/libPerlowan.so; registering" "$work/moved.err" ||
  fail "the stale registration was not repaired:"$'\n'"$(cat "$work/moved.err")"
grep -rqF "$work/moved/$prefix/$libdir/libPerlowan.so" "$registry" ||
  fail "the user's registry does not name the moved add-in"

echo "package $(basename "$deb") installs and runs"
