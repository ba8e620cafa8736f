#!/usr/bin/env bash
# The one list of Debian packages ExamBell needs, and the installer both README commands use.
# Usage: tools/packages.sh build|run|test   (installs what is missing; sudo when not root)
set -euo pipefail

# To build and to run the program.
BUILD_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libsdl2-mixer-dev libfluidsynth-dev timgm6mb-soundfont
    libcurl4-openssl-dev ca-certificates
    libpcre2-dev libpng-dev libjpeg-dev zlib1g-dev
    libxlsxwriter-dev
    libqrencode-dev libcpp-httplib-dev
    fonts-noto-cjk
    xdg-utils
)
# Only to run it on a desktop: the spreadsheet application that shows an exported chart.
RUN_PACKAGES=(
    libreoffice-calc
)
# Only for the tests and benchmarks.
TEST_PACKAGES=(
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    libssl-dev openssl
    chromium
    unzip
)
# Only to remake the default recordings in data/ (tools/make-recordings.sh).
RECORDING_PACKAGES=(
    espeak-ng lame sox libsox-fmt-mp3
)

want=("${BUILD_PACKAGES[@]}")
case "${1:-build}" in
    build) ;;
    run) want+=("${RUN_PACKAGES[@]}") ;;
    test) want+=("${TEST_PACKAGES[@]}") ;;
    recordings) want+=("${RECORDING_PACKAGES[@]}") ;;
    *) echo "usage: $0 build|run|test|recordings" >&2; exit 2 ;;
esac

missing=()
for p in "${want[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
