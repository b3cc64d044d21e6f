#!/usr/bin/env bash
# Writing benchmark: 300 frames of 1920x1080 through MFWriteVideo as H.264 in
# MP4, against the ffmpeg command-line tool encoding the same RGB frames with
# libx264 at the same settings (bit rate, libx264's default preset, automatic
# threads), in one run. Both sides start from the same source clip decoded to
# RGB: korvel hands MFWriteVideo the frames the library's own reader decodes,
# ffmpeg pipes `-f rawvideo -pix_fmt rgb24` into `-f rawvideo -i -`. Prints
# the wall-time ratio, the peak memory beyond the input frames (which the
# host holds as one array) and both outputs' PSNR against the source.
#
#   bench/video_write.sh [--frames N] [--bitrate BITS]   (REPEATS=n; the median counts)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
frames=300
bitrate=8000000
while [ $# -gt 1 ]; do
  case "$1" in
    --frames) frames="$2" ;;
    --bitrate) bitrate="$2" ;;
  esac
  shift 2
done

"$root/scripts/setup" bench
"$root/scripts/build" "$root/build/bench" "" -DMORVALE_BUILD_TESTS=OFF >/dev/null
korvel="$root/build/bench/bin/korvel"
out="$root/bench/out"
mkdir -p "$out"
source="$out/write_source_1080p_${frames}.mp4"
if [ ! -f "$source" ]; then
  echo "making $source"
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30" -frames:v "$frames" \
    -c:v libx264 -preset veryfast -crf 10 -pix_fmt yuv420p "$source"
fi

repeats=${REPEATS:-3}
declare -A wall peak
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
measure() {  # NAME COMMAND...: median wall seconds, largest peak resident kilobytes
  local name="$1"; shift
  local walls=() peaks=()
  for _ in $(seq "$repeats"); do
    local log="$out/$name.time"
    /usr/bin/time -v "$@" >"$out/$name.stdout" 2>"$log"
    walls+=("$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,t,":"); s=0; for(i=1;i<=n;i++) s=s*60+t[i]; print s}' "$log")")
    peaks+=("$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")")
  done
  wall[$name]=$(printf '%s\n' "${walls[@]}" | median)
  peak[$name]=$(printf '%s\n' "${peaks[@]}" | sort -g | tail -1)
}
psnr() {  # the average PSNR of $1 against the source, frame n against frame n
  # (the written frame times in 100 ns drift from the source's by up to a
  # tick, which would make the filter pair a frame with its predecessor)
  ffmpeg -nostdin -r 30 -i "$1" -r 30 -i "$source" -lavfi psnr -f null - 2>&1 |
    sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p'
}

measure korvel "$korvel" MFWriteVideo "$out/korvel_1080p.mp4" "$source" "$bitrate" 30 "" H264
measure ffmpeg bash -c "ffmpeg -nostdin -v error -threads 0 -i '$source' -f rawvideo -pix_fmt rgb24 - |
  ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt rgb24 -s 1920x1080 -r 30 -i - \
    -c:v libx264 -b:v $bitrate -threads 0 -pix_fmt yuv420p '$out/ffmpeg_1080p.mp4'"
# What reading the input costs korvel alone: the same frames, hashed only.
measure korvel_input "$korvel" MFReadVideoData "$source" "" --checksum

input_kib=$((frames * 1920 * 1080 * 3 / 1024))
echo "source: $source ($frames frames of 1920x1080, $((bitrate / 1000)) kb/s)"
awk -v k="${wall[korvel]}" -v f="${wall[ffmpeg]}" -v r="${wall[korvel_input]}" \
  'BEGIN { printf "wall: korvel %.1f s, ffmpeg %.1f s, ratio %.2fx (korvel reading its input alone: %.1f s)\n", k, f, k / f, r }'
echo "peak memory beyond the input frames: korvel $(( (peak[korvel] - input_kib) / 1024 )) MiB, ffmpeg (both processes' larger) $(( peak[ffmpeg] / 1024 )) MiB"
echo "PSNR against the source: korvel $(psnr "$out/korvel_1080p.mp4") dB, ffmpeg $(psnr "$out/ffmpeg_1080p.mp4") dB"
