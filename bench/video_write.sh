#!/usr/bin/env bash
# Writing benchmark: 300 frames of 1920x1080 through MFWriteVideo as H.264 in
# MP4, against the ffmpeg command-line tool encoding the same RGB frames with
# libx264 at the same settings (bit rate, libx264's default preset with the
# sink writer's shorter lookahead, automatic threads), in one run. Both sides
# read the same raw rgb24 frames, made once from a source clip: korvel takes
# the file as its image argument (NAME.WIDTHxHEIGHT.rgb24), ffmpeg as
# `-f rawvideo -pix_fmt rgb24 -i -`.
# Prints median wall and processor times and their ratios (also without
# korvel's reading of the frames into its array), the peak memory
# beyond the input frames (which korvel's host holds as one array; ffmpeg
# streams them) and both outputs' PSNR against the raw frames, each output
# turned back into rgb24 by the same conversion.
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
raw="$out/write_source_${frames}.1920x1080.rgb24"
if [ ! -f "$source" ]; then
  echo "making $source"
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30" -frames:v "$frames" \
    -c:v libx264 -preset veryfast -crf 10 -pix_fmt yuv420p "$source"
fi
if [ ! -f "$raw" ]; then
  echo "making $raw"
  ffmpeg -nostdin -v error -y -i "$source" -f rawvideo -pix_fmt rgb24 "$raw"
fi

# The sink writer's libx264 settings (platform/linux/encoder_choice.cpp),
# given to ffmpeg too so that both run the same encoder.
x264_params=rc-lookahead=10:sync-lookahead=2
MEASURE_VERBOSE=1
source "$(dirname "$0")/measure.sh"
psnr() {  # the average PSNR of $1 against the raw frames, frame n against frame n
  ffmpeg -nostdin -r 30 -i "$1" -f rawvideo -pix_fmt rgb24 -s 1920x1080 -r 30 -i "$raw" \
    -lavfi "[0:v]scale=in_color_matrix=bt601:in_range=tv:flags=bicubic,format=rgb24[a];[a][1:v]psnr" \
    -f null - 2>&1 | sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p'
}

measure korvel "$korvel" MFWriteVideo "$out/korvel_1080p.mp4" "$raw" "$bitrate" 30 "" H264
# The host's part: korvel reading the frames into its array, the call then
# refused at once (bit rate 0), so the library's share is the difference.
measure load bash -c "'$korvel' MFWriteVideo '$out/refused.mp4' '$raw' 0 30 '' H264 2>/dev/null || true"
measure ffmpeg bash -c "ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt rgb24 -s 1920x1080 -r 30 -i - \
    -c:v libx264 -b:v $bitrate -threads 0 -x264-params $x264_params -pix_fmt yuv420p '$out/ffmpeg_1080p.mp4' < '$raw'"

input_kib=$((frames * 1920 * 1080 * 3 / 1024))
echo "frames: $raw ($frames frames of 1920x1080, $((bitrate / 1000)) kb/s)"
awk -v k="${wall[korvel]}" -v f="${wall[ffmpeg]}" -v kc="${cpu[korvel]}" -v fc="${cpu[ffmpeg]}" \
  'BEGIN { printf "wall: korvel %.1f s, ffmpeg %.1f s, ratio %.3fx; processor: korvel %.1f s, ffmpeg %.1f s, ratio %.3fx\n", k, f, k / f, kc, fc, kc / fc }'
awk -v k="${wall[korvel]}" -v l="${wall[load]}" -v f="${wall[ffmpeg]}" -v kc="${cpu[korvel]}" -v lc="${cpu[load]}" -v fc="${cpu[ffmpeg]}" \
  'BEGIN { printf "less the host reading its array (%.1f s wall, %.1f s processor): wall ratio %.3fx, processor ratio %.3fx\n", l, lc, (k - l) / f, (kc - lc) / fc }'
echo "peak memory beyond the input frames: korvel $(( (peak[korvel] - input_kib) / 1024 )) MiB, ffmpeg $(( peak[ffmpeg] / 1024 )) MiB"
echo "PSNR against the raw frames: korvel $(psnr "$out/korvel_1080p.mp4") dB, ffmpeg $(psnr "$out/ffmpeg_1080p.mp4") dB"
