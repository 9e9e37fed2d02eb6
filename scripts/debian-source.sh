# Debian source packages fetched into a cache folder, with the machine's apt set-up left
# untouched: a private deb-src list and apt's lists for it live in the cache folder too.
# Sourced by the scripts that build libraries from Debian's sources:
#
#   source scripts/debian-source.sh CACHE   # then: folder=$(fetch_source PACKAGE)
#
# CACHE/src holds the unpacked sources; a package already unpacked there is reused.

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

fetch_source() {  # package -> prints the unpacked folder
  local package="$1"
  local folder
  folder="$(find "$debian_source_cache/src" -maxdepth 1 -type d -name "$package-*" | sort | tail -n 1)"
  if [ -z "$folder" ]; then
    echo "$(basename "$0"): reading Debian's source index ($debian_codename) for $package" >&2
    apt-get "${apt_options[@]}" update -qq >&2
    (cd "$debian_source_cache/src" && apt-get "${apt_options[@]}" source -qq "$package" >&2)
    folder="$(find "$debian_source_cache/src" -maxdepth 1 -type d -name "$package-*" | sort | tail -n 1)"
  fi
  [ -n "$folder" ] || { echo "$(basename "$0"): no source for $package" >&2; exit 1; }
  echo "$folder"
}
