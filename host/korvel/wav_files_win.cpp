// WAV files for the Windows build of korvel (there is no FFmpeg to link
// there): a sink writer for the .wav path takes 16-bit PCM in and writes it
// out unchanged, so no encoder is involved. Planar samples are interleaved
// a block at a time into the platform's memory buffers.
#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "host/korvel/wav_files.h"
#include "platform/buffer_lock.h"
#include "platform/com_ptr.h"
#include "platform/media_foundation.h"
#include "platform/utf.h"

namespace korvel {
namespace {

using MorvalePlatform::BufferLock;
using MorvalePlatform::ComPtr;

constexpr int64_t kFramesPerSample = 4096;

void check(HRESULT result, const char* step, const std::string& path) {
    if (SUCCEEDED(result)) return;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    throw std::runtime_error(std::string(step) + " failed (" + code + "): " + path);
}

// 16-bit PCM of the given shape; the sink writer's stream and its input.
ComPtr<IMFMediaType> pcmType(int channels, int sampleRate, const std::string& path) {
    ComPtr<IMFMediaType> type;
    check(MFCreateMediaType(&type), "MFCreateMediaType", path);
    const UINT32 blockAlign = static_cast<UINT32>(channels) * 2;
    check(type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio), "setting the major type", path);
    check(type->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM), "setting the subtype", path);
    check(type->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, static_cast<UINT32>(channels)), "setting the channels", path);
    check(type->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, static_cast<UINT32>(sampleRate)), "setting the rate", path);
    check(type->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16), "setting the depth", path);
    check(type->SetUINT32(MF_MT_AUDIO_BLOCK_ALIGNMENT, blockAlign), "setting the block alignment", path);
    check(type->SetUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, blockAlign * static_cast<UINT32>(sampleRate)),
          "setting the byte rate", path);
    check(type->SetUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, 1), "setting independent samples", path);
    return type;
}

}  // namespace

void writeWav(const std::string& path, const int16_t* planar, int channels, int64_t frames, int sampleRate) {
    if (channels < 1 || sampleRate < 1) throw std::runtime_error("no audio to write: " + path);
    const auto widePath = MorvalePlatform::utf8ToWide(path);
    if (!widePath) throw std::runtime_error("the path is not UTF-8: " + path);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    check(MFStartup(MF_VERSION, MFSTARTUP_FULL), "MFStartup", path);

    ComPtr<IMFSinkWriter> writer;
    check(MFCreateSinkWriterFromURL(widePath->c_str(), nullptr, nullptr, &writer), "MFCreateSinkWriterFromURL", path);
    DWORD stream = 0;
    check(writer->AddStream(pcmType(channels, sampleRate, path).get(), &stream), "AddStream", path);
    check(writer->SetInputMediaType(stream, pcmType(channels, sampleRate, path).get(), nullptr), "SetInputMediaType",
          path);
    check(writer->BeginWriting(), "BeginWriting", path);

    for (int64_t first = 0; first < frames; first += kFramesPerSample) {
        const int64_t count = std::min(kFramesPerSample, frames - first);
        const auto bytes = static_cast<DWORD>(count * channels * 2);
        ComPtr<IMFMediaBuffer> buffer;
        check(MFCreateMemoryBuffer(bytes, &buffer), "MFCreateMemoryBuffer", path);
        {
            BufferLock lock(buffer.get());
            check(lock.lock(), "locking a buffer", path);
            auto* out = reinterpret_cast<int16_t*>(lock.data());
            for (int64_t f = 0; f < count; ++f) {
                for (int c = 0; c < channels; ++c) out[f * channels + c] = planar[c * frames + first + f];
            }
        }
        check(buffer->SetCurrentLength(bytes), "SetCurrentLength", path);
        ComPtr<IMFSample> sample;
        check(MFCreateSample(&sample), "MFCreateSample", path);
        check(sample->AddBuffer(buffer.get()), "AddBuffer", path);
        // 100 ns units from the frame position.
        check(sample->SetSampleTime(first * 10'000'000 / sampleRate), "SetSampleTime", path);
        check(sample->SetSampleDuration(count * 10'000'000 / sampleRate), "SetSampleDuration", path);
        check(writer->WriteSample(stream, sample.get()), "WriteSample", path);
    }
    check(writer->Finalize(), "Finalize", path);
}

}  // namespace korvel
