# Installs Debian packages that are not installed yet, asking apt for nothing when all are
# there. Sourced by every scripts/install-*-deps, which then calls:
#
#   install_missing PACKAGE...
#
# It says "NAME: everything is installed" or "NAME: installing ...", NAME being the calling
# script's name, and uses sudo when not run as root. apt's lists are refreshed at most once,
# only when something is missing.

install_missing() {
  local name
  name="$(basename "$0")"
  local missing=() package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done

  if [ ${#missing[@]} -eq 0 ]; then
    echo "$name: everything is installed"
    return 0
  fi

  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "$name: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
