#!/usr/bin/env bash
# install_check.sh BUILD_DIR SOURCE_DIR LIBDIR REGISTRY_FILE WITH_PYTHON [DEB_DIR PREFIX]
#
# Installs BUILD_DIR into a stage with DESTDIR and a prefix of its own (or,
# given DEB_DIR, unpacks every .deb there into the stage, their files below
# PREFIX), and checks that
#   - the library, headers, CMake package, pkg-config file, programs, man
#     pages and Python module are in place, with the shared library's SONAME;
#   - the shared library and the programs are stripped, their debug files
#     installed apart;
#   - nothing was written outside the stage (the prefix itself, and the
#     platform registry file, stay untouched) and every installed file lies
#     in the stage;
#   - examples/consumer (whose main.cc is the README's example) builds with
#     find_package(QzOrvex) and with pkg-config, links nothing of Qt, and
#     lists the workspaces and folders of an orvex-docstore started from the
#     stage.
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
libdir=$3
registry=$4
with_python=$5
deb_dir=${6:-}

work=$(mktemp -d)
docstore_pid=
cleanup() {
  if [[ -n $docstore_pid ]]; then kill "$docstore_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

stage=$work/stage
if [[ -n $deb_dir ]]; then
  prefix=$7
  root=$stage$prefix
  echo "== packages of $deb_dir unpacked into $stage (prefix $prefix)"
  for deb in "$deb_dir"/*.deb; do dpkg-deb -x "$deb" "$stage"; done
else
  prefix=/opt/qzorvex-stage-check-$$
  root=$stage$prefix
  registry_before=$(stat -c %Y "$registry" 2>/dev/null || echo absent)

  echo "== staged install into $stage (prefix $prefix)"
  DESTDIR=$stage cmake --install "$build" --prefix "$prefix" > "$work/install.log"
  [[ ! -e $prefix ]] || fail "install wrote into $prefix outside the stage"
  registry_after=$(stat -c %Y "$registry" 2>/dev/null || echo absent)
  [[ $registry_before == "$registry_after" ]] || fail "install touched $registry"
  while read -r line; do
    [[ $line == *"Installing: "* || $line == *"Up-to-date: "* ]] || continue
    path=${line#*: }
    [[ $path == "$stage"/* ]] || fail "installed outside the stage: $path"
  done < "$work/install.log"
fi

for f in \
  "$libdir/libqzorvex.so.0" "$libdir/libqzorvex.a" "$libdir/pkgconfig/qzorvex.pc" \
  "$libdir/cmake/QzOrvex/QzOrvexConfig.cmake" "$libdir/cmake/QzOrvex/QzOrvexConfigVersion.cmake" \
  include/qzorvex/qzorvex.h include/qzorvex/connect_orvex.h include/qzorvex/version.h \
  bin/orvex bin/orvex-docstore bin/orvex-regsvr \
  share/man/man1/orvex.1 share/man/man1/orvex-docstore.1 share/doc/QzOrvex/LICENSE; do
  [[ -e $root/$f ]] || fail "missing $f"
done
soname=$(objdump -p "$root/$libdir/libqzorvex.so.0" | awk '/SONAME/ {print $2}')
[[ $soname == libqzorvex.so.0 ]] || fail "SONAME is '$soname'"
if [[ $with_python == 1 ]]; then
  module=$(ls "$root"/lib/python3*/dist-packages/qzorvex/_qzorvex*.so) || fail "no Python module"
  # It finds the installed libqzorvex below the prefix, wherever that is.
  PYTHONPATH=$(dirname "$(dirname "$module")") /usr/bin/python3 -c \
    'import qzorvex; qzorvex.CreateObject("Linkora.ConnectOrvex")' ||
    fail "the installed Python module does not load"
fi
# Installed libraries and programs are stripped; each names its debug
# file, which lies apart under lib/debug, found by build ID.
for f in "$libdir/libqzorvex.so.0" bin/orvex; do
  readelf -S "$root/$f" | grep -q '\.debug_info' && fail "$f is not stripped"
  id=$(readelf -n "$root/$f" | sed -n 's/.*Build ID: //p')
  debug=lib/debug/.build-id/${id:0:2}/${id:2}.debug
  readelf -S "$root/$debug" 2>/dev/null | grep -q '\.debug_info' ||
    fail "$f has no debug file $debug"
  readelf -p .gnu_debuglink "$root/$f" | grep -qF "${id:2}.debug" ||
    fail "$f does not name its debug file"
done
version=$("$root/bin/orvex" --version)
[[ $version == "orvex "[0-9]* ]] || fail "orvex --version said '$version'"
# The public headers need nothing of the source tree.
if grep -rhoE '#include "[^"]+"' "$root/include/qzorvex" | grep -v '"qzorvex/'; then
  fail "a public header includes something outside qzorvex/"
fi

# The README's example is the consumer's program, so CI builds it as written.
awk '/^```cpp$/ {on=1; next} /^```$/ {on=0} on' "$source_dir/README.md" > "$work/readme.cc"
diff -u "$source_dir/examples/consumer/main.cc" "$work/readme.cc" > /dev/null ||
  fail "README's example differs from examples/consumer/main.cc"

echo "== docstore from the stage"
"$root/bin/orvex-docstore" > "$work/docstore.out" &
docstore_pid=$!
for _ in $(seq 100); do
  grep -q "listening on" "$work/docstore.out" && break
  sleep 0.1
done
address=$(sed -n 's/^listening on //p' "$work/docstore.out")
[[ -n $address ]] || fail "orvex-docstore did not start"

check_listing() {
  local program=$1 out=$work/listing.out
  "$program" docs "$address" jones CORP secret > "$out" || { cat "$out"; fail "$program failed"; }
  grep -q '^Sales - ' "$out" || { cat "$out"; fail "$program listed no workspace Sales"; }
  grep -q '^  Reports' "$out" || { cat "$out"; fail "$program listed no folder Reports"; }
  if ldd "$program" | grep -qi 'libQt'; then fail "$program links Qt"; fi
}

echo "== consumer with find_package(QzOrvex)"
cmake -S "$source_dir/examples/consumer" -B "$work/consumer" -G Ninja \
  -DCMAKE_PREFIX_PATH="$root" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$work/consumer" > /dev/null
check_listing "$work/consumer/consumer"

echo "== consumer with pkg-config"
export PKG_CONFIG_PATH=$root/$libdir/pkgconfig
# shellcheck disable=SC2046
g++ -std=c++20 -o "$work/consumer-pc" "$source_dir/examples/consumer/main.cc" \
  $(pkg-config --cflags --libs qzorvex)
LD_LIBRARY_PATH=$root/$libdir check_listing "$work/consumer-pc"
# The static library holds everything of its own: with it, only the system's
# shared libraries it names as private dependencies are needed.
g++ -std=c++20 -o "$work/consumer-static" "$source_dir/examples/consumer/main.cc" \
  $(pkg-config --cflags qzorvex) "$root/$libdir/libqzorvex.a" \
  $(pkg-config --libs libcurl expat) -lpthread -ldl
check_listing "$work/consumer-static"
if [[ -e $root/$libdir/libqzorvex_qt.so.0 ]]; then
  echo "== Qt consumer linked with QzOrvex::qt alone"
  cmake -S "$source_dir/tests/package/qt_consumer" -B "$work/qt_consumer" -G Ninja \
    -DCMAKE_PREFIX_PATH="$root" -DCMAKE_BUILD_TYPE=Release > /dev/null
  cmake --build "$work/qt_consumer" > /dev/null
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
    "$work/qt_consumer/qt_consumer" docs "$address" jones CORP secret ||
    fail "the Qt consumer showed no dialog with Qt"
  # The six tree pictures are inside the toolkit library.
  pictures=$(LC_ALL=C grep -ao $'\x89PNG' "$root/$libdir/libqzorvex_qt.so.0" | wc -l)
  (( pictures >= 6 )) || fail "libqzorvex_qt holds $pictures pictures, not the trees' 6"
fi
# Linking the shared library needs none of its private dependencies' -dev
# packages: the exported link interface names none of them.
if grep -qE 'CURL::|EXPAT::' "$root/$libdir/cmake/QzOrvex/QzOrvexTargets.cmake"; then
  fail "QzOrvex::qzorvex asks for libcurl or expat to link"
fi
echo "package check passed"
