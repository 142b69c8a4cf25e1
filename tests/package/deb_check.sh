#!/usr/bin/env bash
# deb_check.sh BUILD_DIR SOURCE_DIR LIBDIR REGISTRY_FILE WITH_PYTHON PREFIX
#
# Makes the .deb packages of BUILD_DIR with CPack and checks that
#   - there is one package per component, each with its name, version,
#     section and the files of its component only (no file in two);
#   - the library's dependencies on system libraries were found, and every
#     other package depends on the library of the same version;
#   - unpacked together (dpkg-deb -x, nothing installed on this machine)
#     they pass install_check.sh: the consumers build against them and run.
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
libdir=$3
with_python=$5
prefix=$6
here=$(dirname "$0")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

echo "== cpack"
cpack --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1 ||
  { tail -40 "$work/cpack.log"; fail "cpack failed"; }
mkdir "$work/debs"
mv "$work"/out/*.deb "$work/debs/"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[[ -n $version ]] || fail "no package version in CPackConfig.cmake"

# Each package: name, section, a file it holds (below the prefix, in any
# folder) and a path below the prefix it must not hold.
packages=(
  "libqzorvex0 libs $libdir/libqzorvex.so.0 include/"
  "libqzorvex-dev libdevel include/qzorvex/qzorvex.h lib/debug/"
  "qzorvex-tools utils bin/orvex-docstore $libdir/libqzorvex.so.0"
  "qzorvex-dbg debug lib/debug/.build-id/ bin/"
)
if [[ $with_python == 1 ]]; then
  packages+=("python3-qzorvex python dist-packages/qzorvex/__init__.py bin/")
fi
[[ $(ls "$work/debs" | wc -l) == "${#packages[@]}" ]] ||
  fail "expected ${#packages[@]} packages, cpack made: $(ls "$work/debs")"

for entry in "${packages[@]}"; do
  read -r name section present absent <<< "$entry"
  deb=$work/debs/${name}_${version}_$(dpkg --print-architecture).deb
  [[ -e $deb ]] || fail "no package $name $version"
  [[ $(dpkg-deb --field "$deb" Package) == "$name" ]] || fail "$deb is not $name"
  [[ $(dpkg-deb --field "$deb" Section) == "$section" ]] || fail "$name is not in $section"
  depends=$(dpkg-deb --field "$deb" Depends)
  if [[ $name == libqzorvex0 ]]; then
    for lib in libc6 libstdc++6 libcurl4 libexpat1; do
      [[ $depends == *"$lib "* || $depends == *"$lib," || $depends == *"$lib" ]] ||
        fail "libqzorvex0 does not depend on $lib: $depends"
    done
  else
    [[ $depends == *"libqzorvex0 (= $version)"* ]] ||
      fail "$name does not depend on libqzorvex0 (= $version): $depends"
  fi
  dpkg-deb --contents "$deb" | awk '{print $6}' | sed "s|^\./||" > "$work/$name.files"
  grep -q "^${prefix#/}/\(.*/\)\?$present" "$work/$name.files" || fail "$name lacks $present"
  if grep -q "^${prefix#/}/$absent" "$work/$name.files"; then fail "$name holds $absent"; fi
  grep -v '/$' "$work/$name.files" >> "$work/all.files"
done
twice=$(sort "$work/all.files" | uniq -d)
[[ -z $twice ]] || fail "files in two packages: $twice"
[[ $(dpkg-deb --field "$work/debs/python3-qzorvex_${version}"*.deb Depends 2>/dev/null) == *python3* ||
   $with_python != 1 ]] || fail "python3-qzorvex does not depend on python3"

"$here/install_check.sh" "$build" "$source_dir" "$libdir" "$4" "$with_python" "$work/debs" "$prefix"
