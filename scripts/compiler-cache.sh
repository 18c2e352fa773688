# Sourced by the build scripts: compile through ccache when it is installed, with paths taken
# relative to the checkout, so every clone and build folder on the machine shares one cache.
cache_args=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR=1
  cache_args=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
