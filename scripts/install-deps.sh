#!/usr/bin/env bash
# Installs the Debian packages the editor needs to build, test and run.
# Idempotent: packages already present are left alone. Needs root or sudo.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config libpng-dev libfontconfig-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  fonts-ipafont-gothic fonts-dejavu-core qt6-translations-l10n
  xvfb xauth x11-utils time bc poppler-utils desktop-file-utils groff-base
  icoutils
  appstream lintian
  weston qt6-wayland xdotool
  python3-pil
)
# Further packages a target asks for, e.g. the fuzzers' compiler.
read -r -a extra <<<"${EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

# Without dpkg there is no telling what is installed: build with what is
# there, and say so.
if ! command -v dpkg-query >/dev/null 2>&1; then
  echo "No dpkg here: not checking or installing packages (${packages[*]})." >&2
  echo "Install Qt 6 (base, widgets, print support), CMake, Ninja, libpng and a Japanese font yourself." >&2
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
