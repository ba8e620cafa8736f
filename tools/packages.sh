#!/usr/bin/env bash
# The one list of Debian packages ExamBell needs, and the installer both README commands use.
# Usage: tools/packages.sh build|run|test|fuzz|recordings|icons|package|screenshots
#   (installs what is missing; sudo when not root)
set -euo pipefail

# To build and to run the program.
BUILD_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libsdl2-mixer-dev libfluidsynth-dev libmpg123-dev timgm6mb-soundfont
    libcurl4-openssl-dev ca-certificates
    libpcre2-dev libpng-dev libjpeg-dev zlib1g-dev
    libxlsxwriter-dev libzip-dev
    libqrencode-dev libcpp-httplib-dev
    fonts-noto-cjk
    qt6-translations-l10n
    xdg-utils
)
# Only to run it on a desktop: the spreadsheet application that shows an exported chart.
RUN_PACKAGES=(
    libreoffice-calc
)
# Only for the tests and benchmarks (the acceptance tests read written files back with openpyxl,
# LibreOffice and pdftotext, show the room page in Chromium and start their own PulseAudio).
TEST_PACKAGES=(
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    libssl-dev openssl
    dbus chromium
    unzip poppler-utils
    desktop-file-utils appstream
    pulseaudio
    python3-openpyxl libreoffice-calc
)
# Only for tools/fuzz: clang with libFuzzer and its sanitizers, on top of the test packages.
FUZZ_PACKAGES=(
    clang libclang-rt-14-dev
)
# Only to remake the default recordings in data/ (tools/make-recordings.sh).
RECORDING_PACKAGES=(
    espeak-ng lame sox libsox-fmt-mp3
)

# Only to redraw the icon's PNGs from its SVG (tools/make-icons.sh).
ICON_PACKAGES=(
    librsvg2-bin
)
# Only to build and check the Debian package (tools/package).
PACKAGE_PACKAGES=(
    dpkg-dev file lintian devscripts appstream desktop-file-utils
)
# Only to take the README's screenshots under a virtual display (tools/screenshots).
SCREENSHOT_PACKAGES=(
    xvfb openbox xdotool imagemagick x11-utils
)

want=("${BUILD_PACKAGES[@]}")
case "${1:-build}" in
    build) ;;
    run) want+=("${RUN_PACKAGES[@]}") ;;
    test) want+=("${TEST_PACKAGES[@]}") ;;
    fuzz) want+=("${FUZZ_PACKAGES[@]}") ;;
    recordings) want+=("${RECORDING_PACKAGES[@]}") ;;
    icons) want+=("${ICON_PACKAGES[@]}") ;;
    package) want+=("${PACKAGE_PACKAGES[@]}") ;;
    screenshots) want+=("${SCREENSHOT_PACKAGES[@]}") ;;
    *) echo "usage: $0 build|run|test|fuzz|recordings|icons|package|screenshots" >&2; exit 2 ;;
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
