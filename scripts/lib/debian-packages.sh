# Shared by scripts/bootstrap and scripts/release (sourced, not run): the Debian packages.

# debian_packages BUILD: the packages and their debug-symbol packages of BUILD, made anew in
# BUILD/packages.
debian_packages() {
  local build=$1 ddeb tree
  rm -rf "$build/packages"
  (cd "$build" && cpack -G DEB -B packages)
  # CPack lists the debug-symbol packages' files in md5sums by their paths in its own staging
  # folder: wrong for dpkg --verify, and different in every checkout. Listed again as dpkg
  # does, and packed again with the release's time; debug files are data, not programs.
  for ddeb in "$build"/packages/*.ddeb; do
    tree=$(mktemp -d)
    dpkg-deb -R "$ddeb" "$tree"
    find "$tree/usr" -type f -exec chmod 0644 {} +
    (cd "$tree" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum >DEBIAN/md5sums)
    dpkg-deb --root-owner-group -Zgzip --build "$tree" "$ddeb" >/dev/null
    rm -rf "$tree"
  done
}
