# Sourced by the build scripts: install_missing PACKAGE... installs the Debian packages of the
# list that are not installed yet (through sudo when not run as root), after one apt-get update
# (one per script, however often it is called); missing_packages PACKAGE... prints them.
missing_packages() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      echo "$package"
  done
}
install_missing() {
  local missing
  mapfile -t missing < <(missing_packages "$@")
  [ ${#missing[@]} -eq 0 ] && return 0
  local as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || {
      echo "these packages are missing and only root can install them: ${missing[*]}" >&2
      return 1
    }
    as_root=(sudo)
  fi
  echo "installing ${missing[*]}" >&2
  [ -n "${APT_LISTS_UPDATED:-}" ] || "${as_root[@]}" apt-get update
  APT_LISTS_UPDATED=1
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends \
    "${missing[@]}"
}
