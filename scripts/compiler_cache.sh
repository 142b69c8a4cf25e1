# Sourced by setup.sh and test.sh: when ccache is installed, every build goes
# through it, with paths taken relative to the checkout so that clones at
# different places share one cache. `cache_flags` holds the CMake options.
cache_flags=()
if command -v ccache > /dev/null; then
  export CCACHE_BASEDIR="$PWD"
  cache_flags=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
