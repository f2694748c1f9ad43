#!/usr/bin/env bash
# Installs the Debian packages Kestrel needs to build, test and benchmark.
# Idempotent and quiet: it only calls apt-get when something is missing.
# This is the one place the package list lives.
set -euo pipefail

PACKAGES=(
  # build
  cmake g++ ninja-build pkg-config ccache
  # libraries
  libcli11-dev libfmt-dev nlohmann-json3-dev
  # tests, benchmarks, fuzzing
  libgtest-dev libgmock-dev libbenchmark-dev clang-16 libclang-rt-16-dev
  # reports: PDF through cairo, the Liberation fonts, poppler-utils to read PDFs back in tests
  libcairo2-dev fonts-liberation poppler-utils
  # the record store benchmark compares against SQLite
  libsqlite3-dev sqlite3
  # libraries kept in PostgreSQL: the client library, and a server the tests start for themselves
  libpq-dev postgresql
  # import readers: workbooks (.xls, .xlsx), desktop databases (.mdb); gnumeric's ssconvert makes test inputs
  libfreexl-dev libminizip-dev libpugixml-dev mdbtools-dev gnumeric
  # shapelib's dbfcreate and dbfadd make the dBASE test inputs
  shapelib
  # export writers: workbooks (.xlsx) through libxlsxwriter
  libxlsxwriter-dev
  # desktop application: Qt 6 Widgets and Print Support, offscreen platform for its tests, Xvfb for screenshots
  qt6-base-dev qt6-svg-dev libxkbcommon-dev qt6-qpa-plugins xvfb xauth
  # tests kill the program at chosen system calls (strace fault injection)
  strace
  # the desktop smoke test types and clicks into the real program under Xvfb and reads the clipboard, under a window manager
  xdotool xclip x11-utils openbox
  # the install test validates the desktop entry and MIME types and asks gio what a file manager would open
  desktop-file-utils libxml2-utils shared-mime-info libglib2.0-bin
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "deps: missing packages: ${missing[*]} (run as root, or install them with apt-get)" >&2
  exit 1
fi

echo "deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
