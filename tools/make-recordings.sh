#!/usr/bin/env bash
# Remakes the default cue recordings in data/语音文件库: Mandarin announcements spoken by espeak-ng,
# a short two-tone bell made by sox, all encoded by lame as small mono MP3 files.
# Needs the "recordings" packages: tools/packages.sh recordings
# Usage: tools/make-recordings.sh [output folder]   (default: data/语音文件库 of this checkout)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-data/语音文件库}"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

voice=cmn-latn-pinyin
rate=44100
# 44.1 kHz mono at 48 kbit/s: clear speech, 6 KB per second. Everything stays at 44.1 kHz: then the
# decoder skips the encoder's lead-in, so the chime sounds at once. A 22.05 kHz file, or one that lame
# resamples, starts with 25 to 50 ms of silence when SDL_mixer plays it.
encode() {  # encode input.wav output.mp3
    lame --quiet --noreplaygain -m m -b 48 -q 2 "$1" "$2"
}

# The chime that opens every announcement and that forms the short bell: a high and a lower tone,
# each dying away like a struck bell.
sox -R -n -r "$rate" -c 1 -b 16 "$work/ding.wav" synth 0.55 sine 880 fade l 0.005 0.55 0.5 vol 0.5
sox -R -n -r "$rate" -c 1 -b 16 "$work/dong.wav" synth 0.9 sine 659.25 fade l 0.005 0.9 0.85 vol 0.5
sox -R "$work/ding.wav" "$work/dong.wav" "$work/bell.wav"
sox -R -n -r "$rate" -c 1 -b 16 "$work/gap.wav" trim 0 0.3

speak() {  # speak output.mp3 text: the chime, a short pause, then the text
    espeak-ng -v "$voice" -s 150 -w "$work/speech.wav" "$2"
    sox -R "$work/speech.wav" -r "$rate" -c 1 -b 16 "$work/speech22.wav"
    sox -R "$work/bell.wav" "$work/gap.wav" "$work/speech22.wav" "$work/gap.wav" "$work/cue.wav" \
        norm -1
    encode "$work/cue.wav" "$out/$1"
}

speak "01开考前15分钟.mp3" "距离考试开始还有十五分钟，请考生进入考场，按座位号就座。"
speak "02开考前8分钟.mp3" "距离考试开始还有八分钟，请监考老师分发试卷。"
speak "03开考前5分钟.mp3" "距离考试开始还有五分钟，请考生在试卷上填写姓名和考号。"
speak "04开考.mp3" "考试开始，请考生开始答题。"
speak "05结束前15分钟.mp3" "距离考试结束还有十五分钟，请考生注意掌握时间。"
speak "06结束.mp3" "考试结束，请考生立即停止答题，把试卷反扣在桌面上。"
sox -R "$work/bell.wav" "$work/bell-out.wav" norm -1
encode "$work/bell-out.wav" "$out/07简短铃音.mp3"

ls -l "$out"
