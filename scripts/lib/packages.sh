# Shared by the set-up and test scripts (sourced, not run): running a command as root, and
# installing the Debian packages that are not installed yet. Waits for another apt to finish.

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# install_missing PACKAGE...: installs, through apt-get, those of the packages not installed.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get -o DPkg::Lock::Timeout=900 update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y \
      --no-install-recommends "${missing[@]}"
  fi
}
