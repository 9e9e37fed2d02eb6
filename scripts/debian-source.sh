# Debian source packages fetched into a cache folder, with the machine's apt set-up left
# untouched: a private deb-src list and apt's lists for it live in the cache folder too.
# Sourced by scripts/library-cache.sh, for every scripts/build-*-deps:
#
#   source scripts/debian-source.sh CACHE   # then: folder=$(fetch_source PACKAGE)
#
# CACHE/src holds the unpacked sources, each as PACKAGE-VERSION, and the files apt fetched
# (source_tarball PACKAGE names the original tarball); a package already unpacked there is
# reused.

debian_source_cache="${1:?usage: source debian-source.sh CACHE}"
mkdir -p "$debian_source_cache/apt/lists/partial" "$debian_source_cache/apt/cache/archives/partial" \
  "$debian_source_cache/apt/parts" "$debian_source_cache/src"
# A private deb-src list for the release this machine runs.
. /etc/os-release
debian_codename="${VERSION_CODENAME:-bookworm}"
echo "deb-src http://deb.debian.org/debian $debian_codename main" \
  >"$debian_source_cache/apt/sources.list"
apt_options=(
  -o "Dir::Etc::SourceList=$debian_source_cache/apt/sources.list"
  -o "Dir::Etc::SourceParts=$debian_source_cache/apt/parts"
  -o "Dir::State::Lists=$debian_source_cache/apt/lists"
  -o "Dir::Cache=$debian_source_cache/apt/cache"
  -o "Debug::NoLocking=1"
)
# As root, apt would hand downloads to its _apt user, who cannot write into the cache.
if [ "$(id -u)" -eq 0 ]; then apt_options+=(-o "APT::Sandbox::User=root"); fi

unpacked_source() {  # package -> the unpacked folder, or nothing
  find "$debian_source_cache/src" -maxdepth 1 -type d -name "$1-*" | sort | tail -n 1
}

source_tarball() {  # package -> the original tarball apt fetched, or nothing
  find "$debian_source_cache/src" -maxdepth 1 -name "$1_*.orig.tar.*" | sort | tail -n 1
}

# Debian's diff for a package (packaging only) can be missing from the mirror, which fails
# `apt-get source` as a whole. The original tarball it did fetch is then checked against
# the .dsc's SHA-256 and unpacked on its own, as PACKAGE-VERSION.
unpack_original() {  # package
  local package="$1" dsc tarball expected actual top version
  dsc="$(find "$debian_source_cache/src" -maxdepth 1 -name "${package}_*.dsc" | sort | tail -n 1)"
  tarball="$(source_tarball "$package")"
  [ -n "$dsc" ] && [ -n "$tarball" ] || return 1
  expected="$(awk -v name="$(basename "$tarball")" \
    '/^Checksums-Sha256:/ {inside = 1; next} /^[^ ]/ {inside = 0} inside && $3 == name {print $1}' \
    "$dsc")"
  actual="$(sha256sum "$tarball" | cut -d ' ' -f 1)"
  if [ -z "$expected" ] || [ "$expected" != "$actual" ]; then
    echo "$(basename "$0"): $(basename "$tarball") does not match $(basename "$dsc")" >&2
    return 1
  fi
  top="$(tar -tf "$tarball" | head -n 1 | cut -d / -f 1)"
  version="$(basename "$tarball")"
  version="${version#"${package}"_}"
  version="${version%%.orig.tar.*}"
  rm -rf "$debian_source_cache/src/$top"
  tar -xf "$tarball" -C "$debian_source_cache/src"
  mv "$debian_source_cache/src/$top" "$debian_source_cache/src/$package-$version"
}

fetch_source() {  # package -> prints the unpacked folder
  local package="$1"
  local folder
  folder="$(unpacked_source "$package")"
  if [ -z "$folder" ]; then
    # Read when over an hour old: fetch_source runs in a subshell, where a flag would not last.
    if [ -z "$(find "$debian_source_cache/apt/lists" -maxdepth 1 -name '*Sources*' -mmin -60)" ]; then
      echo "$(basename "$0"): reading Debian's source index ($debian_codename)" >&2
      apt-get "${apt_options[@]}" update -qq >&2
    fi
    (cd "$debian_source_cache/src" && apt-get "${apt_options[@]}" source -qq "$package" >&2) ||
      unpack_original "$package" >&2 || true
    folder="$(unpacked_source "$package")"
  fi
  [ -n "$folder" ] || { echo "$(basename "$0"): no source for $package" >&2; exit 1; }
  echo "$folder"
}
