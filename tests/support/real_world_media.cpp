#include "tests/support/real_world_media.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>

#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"

namespace morvale_test {

namespace {

const std::string kQuiet = "ffmpeg -nostdin -v error -y ";
const std::string kX264 = "-c:v libx264 -pix_fmt yuv420p ";

std::string quoted(const std::string& path) { return "'" + path + "'"; }

void runFfmpeg(const std::string& arguments, const std::string& output) {
    const std::string command = kQuiet + arguments + " " + quoted(output);
    if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot make " + output + ": " + command);
}

// A test pattern scaled to the size (lavfi's patterns only come in even
// sizes), with a tone beside it for clips that keep audio.
std::string patternAndTone(int width, int height) {
    return "-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 "
           "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=2 -vf scale=" +
           std::to_string(width) + ":" + std::to_string(height) + " ";
}

struct PacketPlace {
    int64_t position;
    int64_t size;
};

std::vector<PacketPlace> videoPacketPlaces(const std::string& path) {
    std::vector<PacketPlace> places;
    for (auto& fields : compactRecords(commandOutput(
             "ffprobe -v error -select_streams v:0 -show_entries packet=pos,size -of compact=p=0 " + quoted(path)))) {
        places.push_back({std::stoll(fields.at("pos")), std::stoll(fields.at("size"))});
    }
    if (places.empty()) throw std::runtime_error("no video packets in " + path);
    return places;
}

// A copy of source with the byte ranges (start, count) zeroed.
std::string zeroedCopy(const std::string& source, const std::string& name,
                       const std::vector<std::pair<int64_t, int64_t>>& ranges) {
    return madeFixture(name, [&](const std::string& partial) {
        std::string bytes = fileBytes(source);
        for (const auto& [start, count] : ranges) {
            if (start < 0 || start + count > static_cast<int64_t>(bytes.size())) {
                throw std::runtime_error("damage outside " + source);
            }
            std::fill_n(bytes.begin() + start, count, '\0');
        }
        writeFileBytes(partial, bytes);
    });
}

}  // namespace

const std::vector<Clip>& containerClips() {
    static const std::vector<Clip> clips = {
        {"H264BFramesTs", "h264_b_318x238.ts", 318, 238, kX264 + "-bf 2 -g 12 -c:a aac"},
        {"H264PortraitTs", "h264_238x318.ts", 238, 318, kX264 + "-bf 0 -g 10 -an"},
        {"Mpeg2Ts", "mpeg2_318x238.ts", 318, 238, "-c:v mpeg2video -q:v 4 -bf 2 -g 12 -c:a mp2"},
        {"H264M2ts", "h264_350x198.m2ts", 350, 198, kX264 + "-bf 2 -g 12 -c:a ac3"},
        {"H264PortraitMts", "h264_206x350.mts", 206, 350, kX264 + "-bf 3 -g 15 -an"},
        {"Mpeg2Mpg", "mpeg2_318x238.mpg", 318, 238, "-c:v mpeg2video -q:v 4 -bf 2 -g 12 -c:a mp2"},
        {"Mpeg2Vob", "mpeg2_352x288.vob", 352, 288, "-c:v mpeg2video -q:v 4 -bf 2 -g 12 -c:a ac3"},
        {"H264Mp4", "h264_b_318x238.mp4", 318, 238, kX264 + "-bf 2 -g 12 -c:a aac"},
        {"H264FragmentedMp4", "h264_fragmented_318x238.mp4", 318, 238,
         kX264 + "-bf 2 -g 12 -c:a aac -movflags frag_keyframe+empty_moov"},
        {"H264PortraitMov", "h264_238x318.mov", 238, 318, kX264 + "-bf 2 -g 12 -an"},
        {"H264Mkv", "h264_318x238.mkv", 318, 238, kX264 + "-bf 2 -g 12 -c:a libvorbis"},
        {"Vp9Webm", "vp9_318x238.webm", 318, 238,
         "-c:v libvpx-vp9 -deadline realtime -cpu-used 8 -b:v 300k -c:a libopus"},
        {"Vp8LateStartWebm", "vp8_late_start_318x238.webm", 318, 238,
         "-c:v libvpx -deadline realtime -b:v 300k -an -output_ts_offset 7"},
        {"H264Flv", "h264_318x238.flv", 318, 238, kX264 + "-bf 2 -g 12 -c:a aac"},
        {"MjpegOddAvi", "mjpeg_317x239.avi", 317, 239, "-c:v mjpeg -q:v 3 -an"},
        {"Wmv2Wmv", "wmv2_318x238.wmv", 318, 238, "-c:v wmv2 -b:v 600k -c:a wmav2"},
    };
    return clips;
}

std::string clipPath(const Clip& clip) {
    return madeFixture(clip.file, [&clip](const std::string& partial) {
        runFfmpeg(patternAndTone(clip.width, clip.height) + clip.encoding, partial);
    });
}

const Clip& unreferencedBPicturesClip() {
    static const Clip clip{"H264UnreferencedB", "h264_unreferenced_b_318x238.mp4", 318, 238,
                           kX264 + "-g 12 -sc_threshold 0 -x264-params bframes=2:b-adapt=0:b-pyramid=none -an"};
    return clip;
}

std::string twentyFramesH264() {
    return madeFixture("h264_20_frames_320x240.mp4", [](const std::string& partial) {
        runFfmpeg("-f lavfi -i testsrc=size=320x240:rate=25 -frames:v 20 " + kX264 + "-g 12 -bf 2", partial);
    });
}

std::string liveWebm() {
    return madeFixture("live_vp8_318x238.webm", [](const std::string& partial) {
        runFfmpeg(patternAndTone(318, 238) +
                      "-c:v libvpx -deadline realtime -b:v 300k -c:a libopus -f webm -live 1",
                  partial);
    });
}

std::vector<uint8_t> decodedFrames(const std::string& path, const std::string& pixelFormat) {
    const std::string bytes = commandOutput(kQuiet + "-i " + quoted(path) +
                                            " -map 0:v:0 -fps_mode passthrough -f rawvideo -pix_fmt " +
                                            pixelFormat + " -");
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::string withPacketsZeroed(const std::string& source, const std::string& name, const std::vector<size_t>& packets) {
    const std::vector<PacketPlace> places = videoPacketPlaces(source);
    std::vector<std::pair<int64_t, int64_t>> ranges;
    for (size_t packet : packets) ranges.emplace_back(places.at(packet).position, places.at(packet).size);
    return zeroedCopy(source, name, ranges);
}

std::string withMediaBytesZeroed(const std::string& source, const std::string& name, int64_t offset, int64_t count) {
    return zeroedCopy(source, name, {{videoPacketPlaces(source).front().position + offset, count}});
}

std::vector<size_t> bPicturePackets(const std::string& path) {
    const std::vector<PacketPlace> places = videoPacketPlaces(path);
    std::vector<size_t> packets;
    for (auto& fields : compactRecords(commandOutput(
             "ffprobe -v error -select_streams v:0 -show_entries frame=pkt_pos,pict_type -of compact=p=0 " +
             quoted(path)))) {
        if (fields["pict_type"] != "B") continue;
        const int64_t position = std::stoll(fields.at("pkt_pos"));
        for (size_t i = 0; i < places.size(); ++i) {
            if (places[i].position == position) packets.push_back(i);
        }
    }
    std::sort(packets.begin(), packets.end());
    return packets;
}

}  // namespace morvale_test
