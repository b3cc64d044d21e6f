// Codec availability with a per-process cache; see codec_availability.h.
#include "platform/linux/codec_availability.h"

#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/linux/encoder_choice.h"
#include "platform/linux/ffmpeg_log.h"
#include "platform/linux/test_control.h"

namespace MorvalePlatform {

namespace {

struct AvailabilityState {
    std::mutex mutex;
    std::map<std::string, bool> opens;  // "e:name" or "d:name"
    std::set<std::string, std::less<>> missing;
};

AvailabilityState& state() {
    static AvailabilityState instance;
    return instance;
}

// The options the sink writer gives the same encoder (they keep libraries
// quiet), looked up by encoder name.
AVDictionary* encoderOptions(const char* name) {
    AVDictionary* options = nullptr;
    for (const CodecChoice& choice : codecChoices()) {
        if (!choice.encoder || std::string(choice.encoder) != name) continue;
        for (const EncoderOption& option : choice.options) av_dict_set(&options, option.key, option.value, 0);
        break;
    }
    return options;
}

bool encoderOpens(const AVCodec& codec) {
    CodecContextPtr context(avcodec_alloc_context3(&codec));
    if (!context) return false;
    if (codec.type == AVMEDIA_TYPE_VIDEO) {
        context->width = 64;
        context->height = 64;
        context->time_base = AVRational{1, 25};
        context->framerate = AVRational{25, 1};
        context->pix_fmt = codec.pix_fmts ? codec.pix_fmts[0] : AV_PIX_FMT_BGR24;
    } else if (codec.type == AVMEDIA_TYPE_AUDIO) {
        context->sample_rate = 44100;
        context->time_base = AVRational{1, 44100};
        av_channel_layout_default(&context->ch_layout, 2);
        context->sample_fmt = codec.sample_fmts ? codec.sample_fmts[0] : AV_SAMPLE_FMT_S16;
        context->bit_rate = 128000;
    } else {
        return false;
    }
    context->thread_count = 1;
    AVDictionary* options = encoderOptions(codec.name);
    const bool opened = avcodec_open2(context.get(), &codec, &options) >= 0;
    av_dict_free(&options);
    return opened;
}

bool decoderOpens(const AVCodec& codec) {
    CodecContextPtr context(avcodec_alloc_context3(&codec));
    return context && avcodec_open2(context.get(), &codec, nullptr) >= 0;
}

const AVCodec* usable(const char* name, bool encoder) {
    if (!name || codecMadeMissing(name)) return nullptr;
    const AVCodec* codec = encoder ? avcodec_find_encoder_by_name(name) : avcodec_find_decoder_by_name(name);
    if (!codec) return nullptr;
    silenceFfmpegLog();
    AvailabilityState& current = state();
    const std::string key = std::string(encoder ? "e:" : "d:") + name;
    std::lock_guard lock(current.mutex);
    auto known = current.opens.find(key);
    if (known == current.opens.end()) {
        known = current.opens.emplace(key, encoder ? encoderOpens(*codec) : decoderOpens(*codec)).first;
    }
    return known->second ? codec : nullptr;
}

}  // namespace

const AVCodec* usableEncoder(const char* name) { return usable(name, true); }
const AVCodec* usableDecoder(const char* name) { return usable(name, false); }

bool codecMadeMissing(const char* name) {
    AvailabilityState& current = state();
    std::lock_guard lock(current.mutex);
    return current.missing.count(name) != 0;
}

void setCodecMissing(const char* name, bool missing) {
    AvailabilityState& current = state();
    std::lock_guard lock(current.mutex);
    if (missing) {
        current.missing.insert(name);
    } else {
        current.missing.erase(name);
    }
}

void clearMissingCodecs() {
    AvailabilityState& current = state();
    std::lock_guard lock(current.mutex);
    current.missing.clear();
}

}  // namespace MorvalePlatform

extern "C" void MorvalePlatformTest_setCodecMissing(const char* name, int missing) {
    if (name) MorvalePlatform::setCodecMissing(name, missing != 0);
}
