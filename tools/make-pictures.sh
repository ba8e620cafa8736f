#!/usr/bin/env bash
# Remakes the pictures of the window designs in data/pictures (run.png, pause.png, card.jpg).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/pictures
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DEXAMBELL_BUILD_TESTS=OFF -DEXAMBELL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target exambell_make_pictures
QT_QPA_PLATFORM=offscreen "$build/bin/exambell_make_pictures" data/pictures
