#!/usr/bin/env bash
# Installs every build and test dependency. Idempotent and non-interactive: it asks apt only
# for packages that are missing, so a prepared machine pays for one dpkg query.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  clang-16 libclang-rt-16-dev clang-format
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools
  qt6-declarative-private-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-window qml6-module-qtquick-templates qml6-module-qtqml-workerscript
  qml6-module-qttest qml6-module-qtquick-shapes fonts-inter python3-fonttools qml6-module-qtquick-dialogs qml6-module-qtqml qml6-module-qtqml-models
  qml6-module-qt-labs-folderlistmodel
  qcoro-qt6-dev libasio-dev nlohmann-json3-dev libsystemd-dev
  dbus python3-dbusmock python3-dbus python3-gi
  xvfb xauth at-spi2-core python3-pyatspi trayer dunst xdotool imagemagick x11-utils procps
  lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
command -v npm >/dev/null || missing+=(npm)

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The symbol images: Material Design Icons, pinned, into node_modules/ (ignored by git).
mdi_version=7.4.47
root=$(cd "$(dirname "$0")/.." && pwd)
if ! grep -qs "\"version\": \"$mdi_version\"" "$root/node_modules/@mdi/svg/package.json"; then
  echo "setup: installing @mdi/svg $mdi_version"
  npm install --no-save --no-package-lock --no-audit --no-fund --prefix "$root" "@mdi/svg@$mdi_version"
fi
