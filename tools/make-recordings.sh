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

# The voice reads a polyphone by its commonest reading, not by the word it stands in: 卷 of 试卷
# and 交卷 comes out as juan3. Such words go to it in tone-numbered pinyin (juan4), which the
# Mandarin voice reads as written.
speak "01开考前15分钟.mp3" "距离考试开始还有十五分钟，请考生进入考场，按座位号就座。"
speak "02开考前8分钟.mp3" "距离考试开始还有八分钟，请监考老师分发shi4 juan4。"
speak "03开考前5分钟.mp3" "距离考试开始还有五分钟，请考生在shi4 juan4上填写姓名和考号。"
speak "04开考.mp3" "考试开始，请考生开始答题。"
speak "05结束前15分钟.mp3" "距离考试结束还有十五分钟，请考生注意掌握时间。"
speak "06结束.mp3" "考试结束，请考生立即停止答题，把shi4 juan4反扣在桌面上。"
# The exam plans' own cues: entry, the late-entry cut-off and the earliest hand-in. Their minutes
# differ from region to region and are the plan's, so the texts name none.
speak "08进场.mp3" "现在开始进场，请考生持准考证进入考场，按座位号就座。"
speak "09禁止入场.mp3" "现在起，迟到的考生禁止进入考场。"
speak "10可以交卷.mp3" "现在起，已经完成答题的考生可以jiao1 juan4，离开考场。"
sox -R "$work/bell.wav" "$work/bell-out.wav" norm -1
encode "$work/bell-out.wav" "$out/07简短铃音.mp3"

ls -l "$out"
