# What every scripts/build-*-deps shares: a prefix in a cache folder that a stamp marks as
# finished, `--check` to ask for it, the tools a build needs, a failed step's log,
# libopenmpt's configure options, and Debian's source packages (debian-source.sh).
# Sourced first, with the cache folder and the script's own arguments:
#
#   source scripts/library-cache.sh CACHE "$@"
#
# It sets `prefix` (CACHE/prefix), `stamp` and `jobs` ($JOBS, else 2). With --check it
# prints the prefix and exits 0 where the stamp is, else exits 1; where the stamp is, it
# says so, prints the prefix and exits 0. Otherwise the script goes on to build, and ends
# with finish_cache.

library_cache_name="$(basename "$0")"
library_cache="${1:?usage: source library-cache.sh CACHE [--check]}"
prefix="$library_cache/prefix"
stamp="$prefix/.complete"
jobs="${JOBS:-2}"

if [ "${2:-}" = "--check" ]; then
  [ -f "$stamp" ] && { echo "$prefix"; exit 0; }
  exit 1
fi
if [ -f "$stamp" ]; then
  echo "$library_cache_name: cached ($(tr '\n' ' ' < "$stamp"))"
  echo "$prefix"
  exit 0
fi

require_tools() {  # "what installs them" tool...
  local installer="$1" tool
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null || {
      echo "$library_cache_name: $tool is missing; run $installer" >&2
      exit 1
    }
  done
}

fail() {  # what log
  echo "$library_cache_name: $1 failed; see $2" >&2
  tail -n 20 "$2" >&2
  exit 1
}

# libopenmpt as the show uses it, on every system: the autotools build, static, with every
# optional codec, output and program off (it only renders XM into memory).
openmpt_options=(
  --disable-shared --enable-static
  --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc
  --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile
  --without-pulseaudio --without-portaudio --without-portaudiocpp --without-sndfile
  --without-flac
)

finish_cache() {  # the source folders built, one a line in the stamp
  local folder
  for folder in "$@"; do basename "$folder"; done > "$stamp"
  echo "$prefix"
}

source "$(dirname "${BASH_SOURCE[0]}")/debian-source.sh" "$library_cache"
