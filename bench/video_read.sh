#!/usr/bin/env bash
# Reading benchmark: korvel against the ffmpeg command-line tool on the same
# generated 10 s 1920x1080 30 fps H.264 clip, in one run. Prints wall-time and
# peak-memory ratios (korvel / ffmpeg); absolute times on a shared machine
# mean little.
#
#   bench/video_read.sh [--seconds N]      (REPEATS=n runs; the median counts)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds=10
[ "${1:-}" = "--seconds" ] && seconds="$2"

"$root/scripts/setup"
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

# measure NAME COMMAND...: runs the command $repeats times under
# /usr/bin/time and records the median wall seconds and the largest peak
# resident kilobytes.
repeats=${REPEATS:-3}
declare -A wall peak
measure() {
  local name="$1"; shift
  local walls=() peaks=()
  for _ in $(seq "$repeats"); do
    local log="$out/$name.time"
    /usr/bin/time -v "$@" >"$out/$name.stdout" 2>"$log"
    walls+=("$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$log")")
    peaks+=("$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")")
  done
  wall[$name]=$(printf '%s\n' "${walls[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  peak[$name]=$(printf '%s\n' "${peaks[@]}" | sort -g | tail -1)
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
report() {
  printf '%-44s wall %6s x   peak memory %6s x\n' "$1" "$(ratio "${wall[$2]}" "${wall[$3]}")" \
    "$(ratio "${peak[$2]}" "${peak[$3]}")"
}

session() {  # a korvel session of the given lines
  printf '%s\n' "$@" | "$korvel" >/dev/null
}
next_lines() {
  echo "MFInitVideoReader $clip"
  for _ in $(seq "$frames"); do echo "MFReadNextVideoFrame --checksum"; done
  echo "MFFinalizeVideoReader"
}

mkdir -p "$out/ffmpeg_frames"
measure ffmpeg_rgb ffmpeg -nostdin -v error -threads 0 -i "$clip" -f rawvideo -pix_fmt rgb24 -y /dev/null
measure ffmpeg_png ffmpeg -nostdin -v error -i "$clip" -pix_fmt rgb24 -compression_level 1 "$out/ffmpeg_frames/%04d.png"
measure korvel_all "$korvel" MFReadVideoData "$clip" "" --checksum
measure korvel_png "$korvel" MFReadVideoData "$clip" "" --out "$out/frames"  # overwrites the same files
measure korvel_next bash -c "$(declare -f next_lines); clip='$clip'; frames=$frames; next_lines | '$korvel' >/dev/null"
measure korvel_count_once bash -c "echo 'MFReadVideoFrameCount $clip' | '$korvel' >/dev/null"
measure korvel_count_cached bash -c "for i in 1 2 3 4 5 6 7 8 9 10; do echo 'MFReadVideoFrameCount $clip'; done | '$korvel' >/dev/null"

echo "clip: $clip ($frames frames of 1920x1080)"
report "all frames as RGB (checksum, no files)" korvel_all ffmpeg_rgb
report "all frames written as PNG" korvel_png ffmpeg_png
report "frame by frame (checksum)" korvel_next ffmpeg_rgb
report "frame count: ten calls vs one (cache)" korvel_count_cached korvel_count_once
