#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Run as root (CI, a fresh machine); as another user it only checks.
set -euo pipefail

packages=(cmake make g++ pkg-config libplist-dev libgtest-dev libgmock-dev python3)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing Debian packages: ${missing[*]}" >&2
  echo "setup: install them as root (apt-get install ${missing[*]}) and run again" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
