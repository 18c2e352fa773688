# Sourced by the build scripts: compile through ccache when it is installed, with paths taken
# relative to the checkout, so every clone and build folder on the machine shares one cache.
# A precompiled header holds the paths of its build tree, so every file compiled with one misses
# the cache in any other clone: with a cache the headers are parsed each time (and the objects
# shared); without one (no ccache, or CCACHE_DISABLE=1) they are precompiled.
cache_args=(-DQUENLITH_PCH=ON)
if command -v ccache >/dev/null && [ -z "${CCACHE_DISABLE:-}" ]; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR=1
  cache_args=(-DQUENLITH_PCH=OFF -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# configure DIR ARGS...: configures DIR quietly with the cache arguments, with Ninja where it is
# installed (it starts a target's files before the libraries below it are linked) unless DIR was
# set up with another generator.
configure() {
  local dir=$1
  shift
  local generator=()
  if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null; then
    generator=(-G Ninja)
  fi
  cmake -S . -B "$dir" "${generator[@]}" "${cache_args[@]}" "$@" >/dev/null
}
