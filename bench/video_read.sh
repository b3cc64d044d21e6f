#!/usr/bin/env bash
# Reading benchmark: korvel against the ffmpeg command-line tool and against
# the libraries users would pick instead (PyAV, OpenCV), on the same
# generated 10 s 1920x1080 30 fps H.264 clip, in one run. Prints wall-time and
# peak-memory ratios; absolute times on a shared machine mean little.
#
# The whole-clip read is measured against the decoder alone (ffmpeg -f null):
# what is left above it is reading's own cost. korvel's checksum of the
# pixels is korvel's cost, not the library's, so it is measured apart (the
# same read with and without it), and so is what fresh memory for the result
# costs the host (a 1.8 GB array filled once, the kernel zeroing its pages).
#
#   bench/video_read.sh [--seconds N]      (REPEATS=n runs; the median counts)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds=10
[ "${1:-}" = "--seconds" ] && seconds="$2"

"$root/scripts/setup" bench
python=/usr/bin/python3  # Debian's, with python3-av, python3-opencv and numpy
[ -x "$python" ] || python=python3
"$root/scripts/build" "$root/build/bench" "" -DMORVALE_BUILD_TESTS=OFF >/dev/null
korvel="$root/build/bench/bin/korvel"
out="$root/bench/out"
mkdir -p "$out"
clip="$out/clip_1080p_${seconds}s.mp4"
if [ ! -f "$clip" ]; then
  echo "making $clip"
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30" -t "$seconds" \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p "$clip"
fi
frames=$((seconds * 30))

source "$(dirname "$0")/measure.sh"
report() {
  printf '%-44s wall %6s x   processor %6s x   peak memory %6s x\n' "$1" "$(ratio "${wall[$2]}" "${wall[$3]}")" \
    "$(ratio "${cpu[$2]}" "${cpu[$3]}")" "$(ratio "${peak[$2]}" "${peak[$3]}")"
}

next_lines() {  # a korvel session reading frame after frame; $1 is an option per read, $2 the reader (MF, DS)
  echo "${2}InitVideoReader $clip"
  for _ in $(seq "$frames"); do echo "${2}ReadNextVideoFrame $1"; done
  echo "${2}FinalizeVideoReader"
}
next_session() {  # NAME OPTION [READER]
  measure "$1" bash -c "$(declare -f next_lines); clip='$clip'; frames=$frames; next_lines '$2' '${3:-MF}' | '$korvel' >/dev/null"
}

mkdir -p "$out/ffmpeg_frames"
measure ffmpeg_null ffmpeg -nostdin -v error -threads 0 -i "$clip" -f null -
measure ffmpeg_rgb ffmpeg -nostdin -v error -threads 0 -i "$clip" -f rawvideo -pix_fmt rgb24 -y /dev/null
measure ffmpeg_png ffmpeg -nostdin -v error -i "$clip" -pix_fmt rgb24 -compression_level 1 "$out/ffmpeg_frames/%04d.png"
measure korvel_all "$korvel" MFReadVideoData "$clip" ""
measure korvel_all_hashed "$korvel" MFReadVideoData "$clip" "" --checksum
measure fresh_memory "$python" "$root/bench/fresh_memory.py" $((frames * 1920 * 1080 * 3))
measure pyav "$python" "$root/bench/peer_read.py" pyav "$clip" "$frames" 1920 1080
measure opencv "$python" "$root/bench/peer_read.py" opencv "$clip" "$frames" 1920 1080
measure korvel_png "$korvel" MFReadVideoData "$clip" "" --out "$out/frames"  # overwrites the same files
next_session korvel_next ""
next_session korvel_next_hashed "--checksum"
measure ffmpeg_bgr ffmpeg -nostdin -v error -threads 0 -i "$clip" -f rawvideo -pix_fmt bgr24 -y /dev/null
measure korvel_ds_all "$korvel" DSReadVideoData "$clip" ""
next_session korvel_ds_next "" DS
measure korvel_count_once bash -c "echo 'MFReadVideoFrameCount $clip' | '$korvel' >/dev/null"
measure korvel_count_cached bash -c "for i in 1 2 3 4 5 6 7 8 9 10; do echo 'MFReadVideoFrameCount $clip'; done | '$korvel' >/dev/null"

echo "clip: $clip ($frames frames of 1920x1080)"
report "all frames as one array vs decoding alone" korvel_all ffmpeg_null
report "  the same vs ffmpeg writing rgb24" korvel_all ffmpeg_rgb
report "  the same vs PyAV into one array" korvel_all pyav
report "  the same vs OpenCV into one array" korvel_all opencv
report "  korvel hashing it too vs decoding alone" korvel_all_hashed ffmpeg_null
report "  fresh memory for it vs decoding alone" fresh_memory ffmpeg_null
report "frame by frame vs ffmpeg writing rgb24" korvel_next ffmpeg_rgb
report "  korvel hashing each frame too" korvel_next_hashed ffmpeg_rgb
report "all frames written as PNG" korvel_png ffmpeg_png
report "DirectShow: all frames vs ffmpeg writing bgr24" korvel_ds_all ffmpeg_bgr
report "  the same vs the Media Foundation read" korvel_ds_all korvel_all
report "  frame by frame vs ffmpeg writing bgr24" korvel_ds_next ffmpeg_bgr
report "frame count: ten calls vs one (cache)" korvel_count_cached korvel_count_once
report "PyAV vs decoding alone" pyav ffmpeg_null
report "OpenCV vs decoding alone" opencv ffmpeg_null
