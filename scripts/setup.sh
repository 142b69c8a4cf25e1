#!/usr/bin/env bash
# Installs what QzOrvex needs on Debian 12, builds it into build/, installs it
# under ORVEX_PREFIX (default /usr/local), then writes the platform registry
# entries with orvex-regsvr into ORVEX_REGISTRY_FILE (default: the file the
# library reads). Safe to run again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config clang-format dpkg-dev binutils
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcurl4-openssl-dev libexpat1-dev libsqlite3-dev libpq-dev postgresql libcrypt-dev libboost-dev nlohmann-json3-dev
  qt6-base-dev fonts-dejavu-core fonts-ipafont-gothic
  libedit-dev python3-dev pybind11-dev python3-pytest python3-build python3-setuptools python3-wheel python3-venv
  apache2 litmus cadaver davfs2 curl libssl-dev openssl lighttpd lighttpd-mod-webdav
  nginx libnginx-mod-http-dav-ext php-cli php-sabre-dav libapache2-mod-svn subversion
  krb5-kdc krb5-admin-server krb5-user libapache2-mod-auth-gssapi
  tmux procps xvfb xauth libxcb1-dev
  clang libclang-rt-14-dev ccache
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Tests and benchmarks are built unless the caller turns them off, warnings
# are errors only when the caller asks (CI does); the values are passed every
# time so an earlier run's choice does not stick.
build_dir=${ORVEX_BUILD_DIR:-build}
source scripts/compiler_cache.sh
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${cache_flags[@]}" \
  -DORVEX_BUILD_TESTS="${ORVEX_BUILD_TESTS:-ON}" -DORVEX_BUILD_BENCH="${ORVEX_BUILD_BENCH:-ON}" \
  -DORVEX_WERROR="${ORVEX_WERROR:-OFF}"
cmake --build "$build_dir" -j"$(nproc)"
prefix=${ORVEX_PREFIX:-/usr/local}
cmake --install "$build_dir" --prefix "$prefix" > /dev/null
# The loader's cache learns of the new libqzorvex.so.0.
if [[ $(id -u) == 0 ]]; then ldconfig; fi

# Installing copies files only; the registry entries are a step of their own.
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build_dir/CMakeCache.txt")
regsvr=("$prefix/bin/orvex-regsvr")
if [[ -n ${ORVEX_REGISTRY_FILE:-} ]]; then regsvr+=(--file "$ORVEX_REGISTRY_FILE"); fi
"${regsvr[@]}" install-client > /dev/null
"${regsvr[@]}" register "$prefix/${libdir:-lib}/libqzorvex.so.0" > /dev/null
