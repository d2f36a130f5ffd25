#!/bin/bash
# Installs what building and testing need, on Debian 12, as root (or through
# sudo): compilers, GoogleTest, the mingw-w64 cross compilers, Wine (32-bit,
# and 64-bit for kernels that run no 32-bit programs),
# Xvfb and the X tools the Wine tests drive it with, the dBase readers the
# data tests use, socat for the serial tests' pseudo-terminal pairs, unixODBC
# with the SQLite driver for the ODBC tests (amd64, and i386 for the 32-bit
# Wine), CUPS with cups-pdf and poppler for the printing tests, and
# what the packages need: dpkg-shlibdeps (dpkg-dev) and file for CPack's
# .deb, man-db (with groff) to read the manual pages, and gcovr for
# tools/coverage.sh.
# Idempotent: when everything is installed it only checks.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

PACKAGES=(
  cmake g++ clang libgtest-dev googletest python3
  mkdocs  # renders the manual (docs/, mkdocs.yml) into the site the packages carry
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick x11-utils
  python3-dbf python3-dbfread socat
  unixodbc libsqliteodbc libodbc2:i386 libsqliteodbc:i386
  dpkg-dev file man-db groff-base
  cups printer-driver-cups-pdf poppler-utils
  gcovr
)

SUDO=
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install_deps: adding the i386 architecture"
  $SUDO dpkg --add-architecture i386
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if ! command -v npm > /dev/null; then
  # node and npm for the editor tests (a node install that brings its own npm
  # is kept as it is).
  missing+=(nodejs npm)
fi
if [ ${#missing[@]} -eq 0 ]; then
  echo "install_deps: all ${#PACKAGES[@]} packages are installed"
else
  echo "install_deps: installing ${missing[*]}"
  $SUDO apt-get update -q -o Acquire::Retries=3
  $SUDO apt-get install -y -q -o Acquire::Retries=3 -o Dpkg::Use-Pty=0 "${missing[@]}"
fi

# The TextMate engine of the editor tests (vscode-textmate, vscode-oniguruma),
# at the versions tests/editor/package-lock.json pins.
cd "$(dirname "$0")/../tests/editor"
if [ ! -d node_modules/vscode-textmate ] || [ ! -d node_modules/vscode-oniguruma ]; then
  npm ci --no-audit --no-fund
fi
echo "install_deps: done"
