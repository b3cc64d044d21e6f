#!/usr/bin/env bash
# Audio benchmark: korvel's ReadAudioData and WriteAudio against the ffmpeg
# command-line tool (and PyAV for reading) on the same generated 10-minute
# stereo 48 kHz AAC file, in one run. Prints wall time, processor time and
# peak memory per command and the ratios the library is held to.
#
# Reading: the whole stream into one array (korvel ReadAudioData, with and
# without its checksum of the array) against ffmpeg decoding to s16le into
# /dev/null, and PyAV decoding into one preallocated array. Writing: the
# same samples (a 16-bit WAV of them) encoded as AAC at 128 kbit/s, korvel
# WriteAudio against ffmpeg -c:a aac at the same rate. korvel's WriteAudio
# takes its samples from a file through the library's ReadAudioData, as
# ffmpeg reads the same WAV.
#
#   bench/audio.sh [--minutes N]      (REPEATS=n runs; the median counts)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
minutes=10
[ "${1:-}" = "--minutes" ] && minutes="$2"

"$root/scripts/setup" bench
python=/usr/bin/python3  # Debian's, with python3-av and numpy
[ -x "$python" ] || python=python3
"$root/scripts/build" "$root/build/bench" "" -DMORVALE_BUILD_TESTS=OFF >/dev/null
korvel="$root/build/bench/bin/korvel"
out="$root/bench/out"
mkdir -p "$out"
seconds=$((minutes * 60))
clip="$out/audio_${minutes}min_48k_stereo.m4a"
wav="$out/audio_${minutes}min_48k_stereo.wav"
if [ ! -f "$clip" ]; then
  echo "making $clip"
  ffmpeg -nostdin -v error -y -f lavfi \
    -i "aevalsrc=0.4*sin(2*PI*(220+110*sin(2*PI*t/7))*t)|0.3*sin(2*PI*(330+50*sin(2*PI*t/5))*t):s=48000:d=$seconds" \
    -c:a aac -b:a 128k "$clip"
fi
[ -f "$wav" ] || ffmpeg -nostdin -v error -y -i "$clip" -c:a pcm_s16le "$wav"
frames=$(("$(ffprobe -v error -select_streams a:0 -show_entries stream=duration_ts -of csv=p=0 "$wav")"))
output_bytes=$((frames * 2 * 2))

source "$(dirname "$0")/measure.sh"
line() {
  printf '%-40s wall %6.2f s   processor %6.2f s   peak %7.1f MiB\n' "$1" "${wall[$2]}" "${cpu[$2]}" \
    "$(awk -v k="${peak[$2]}" 'BEGIN { print k / 1024 }')"
}
against() {
  printf '%-40s wall %6s x   processor %6s x\n' "$1" "$(ratio "${wall[$2]}" "${wall[$3]}")" \
    "$(ratio "${cpu[$2]}" "${cpu[$3]}")"
}

measure ffmpeg_read ffmpeg -nostdin -v error -i "$clip" -f s16le -y /dev/null
measure korvel_read "$korvel" ReadAudioData "$clip" 0
measure korvel_read_hashed "$korvel" ReadAudioData "$clip" 0 --checksum
measure pyav_read "$python" "$root/bench/peer_audio.py" "$clip" 2 "$frames"
measure ffmpeg_write ffmpeg -nostdin -v error -i "$wav" -c:a aac -b:a 128k -y "$out/ffmpeg_written.m4a"
measure korvel_write "$korvel" WriteAudio "$wav" 48000 128000 "$out/korvel_written.m4a"

echo "file: $clip ($frames frames of stereo 48 kHz AAC; the array is $((output_bytes / 1048576)) MiB)"
line "ffmpeg -f s16le to /dev/null" ffmpeg_read
line "korvel ReadAudioData" korvel_read
line "korvel ReadAudioData --checksum" korvel_read_hashed
line "PyAV into one array" pyav_read
line "ffmpeg -c:a aac -b:a 128k" ffmpeg_write
line "korvel WriteAudio 48000 128000" korvel_write
against "reading vs ffmpeg (target <= 1.05)" korvel_read ffmpeg_read
against "  with korvel's checksum" korvel_read_hashed ffmpeg_read
against "PyAV reading vs ffmpeg" pyav_read ffmpeg_read
against "writing vs ffmpeg (target <= 1.05)" korvel_write ffmpeg_write
awk -v p="${peak[korvel_read]}" -v o="$output_bytes" \
  'BEGIN { printf "reading peak memory: %.1f MiB over the array (target <= 64)\n", (p * 1024 - o) / 1048576 }'
