// The reading operations of AudioRecord (declared in audio_record.h): every
// audio stream of a file opened as PCM through a source reader, the
// streams' properties worked out once, and one stream decoded into a planar
// array of signed 16-bit samples.
#include <algorithm>
#include <cstring>

#include "audio/audio_record.h"
#include "media/check_hresult.h"
#include "platform/buffer_lock.h"
#include "platform/prop_variant_guard.h"
#include "platform/utf.h"

namespace TravexUtils {

using MorvalePlatform::BufferLock;
using MorvalePlatform::ComPtr;
using MorvalePlatform::PropVariantGuard;

namespace {

// A value of one of the stream's two types: the coded one's when it states
// it, else the decoded one's; 0 when neither does.
UINT32 codedOrDecoded(IMFMediaType& coded, IMFMediaType& decoded, const GUID& key) {
    UINT32 value = MFGetAttributeUINT32(&coded, key, 0);
    return value != 0 ? value : MFGetAttributeUINT32(&decoded, key, 0);
}

// Copies frames interleaved frames of decoded PCM into their planar places,
// from frame index first on. 8-bit PCM is unsigned: (byte - 128) << 8.
void scatterFrames(const BYTE* data, uint32_t bytesPerSample, uint32_t channels, uint32_t frames, uint32_t first,
                   uint32_t framesPerChannel, int16_t* destination) {
    if (bytesPerSample == 1) {
        for (uint32_t f = 0; f < frames; ++f) {
            for (uint32_t c = 0; c < channels; ++c) {
                const int value = (static_cast<int>(data[f * channels + c]) - 128) * 256;
                destination[std::size_t{c} * framesPerChannel + first + f] = static_cast<int16_t>(value);
            }
        }
        return;
    }
    if (channels == 1) {
        std::memcpy(destination + first, data, std::size_t{frames} * 2);
        return;
    }
    for (uint32_t c = 0; c < channels; ++c) {
        int16_t* row = destination + std::size_t{c} * framesPerChannel + first;
        const BYTE* in = data + std::size_t{c} * 2;
        const std::size_t step = std::size_t{channels} * 2;
        for (uint32_t f = 0; f < frames; ++f, in += step) std::memcpy(row + f, in, 2);
    }
}

}  // namespace

uint32_t audioSampleCount(uint32_t sampleRate, double duration, uint32_t channels) {
    const double exact = static_cast<double>(sampleRate) * duration * static_cast<double>(channels);
    if (!(exact > 0)) return 0;
    const uint64_t limit = UINT32_MAX - UINT32_MAX % channels;
    uint64_t count = exact >= static_cast<double>(limit) ? limit : static_cast<uint64_t>(exact);
    if (count % channels != 0) count += channels - count % channels;
    return static_cast<uint32_t>(std::min(count, limit));
}

void AudioRecord::open() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE);
    checkHResult(MFStartup(MF_VERSION, MFSTARTUP_FULL), "MFLibraryStartError", "Can't start MF library");

    // What an earlier call found is found again on the file as it is now.
    streamTypes.clear();
    pcmTypes.clear();
    audioStreams.clear();

    const auto widePath = MorvalePlatform::utf8ToWide(path);
    if (!widePath) {
        // No file can have this name: the source reader cannot be made.
        ErrorManager::throwException("MFObjectCreateError", "Path is not valid UTF-8");
    }
    sourceReader.reset();
    checkHResult(MFCreateSourceReaderFromURL(widePath->c_str(), nullptr, &sourceReader), "MFObjectCreateError",
                 "Can't create source reader from url");
    if (!sourceReader) {
        ErrorManager::throwException("MFNullPointerError", "Source reader is null");
    }

    for (DWORD index = 0;; ++index) {
        ComPtr<IMFMediaType> found;
        if (sourceReader->GetCurrentMediaType(index, &found) != S_OK) break;
        GUID major{};
        found->GetGUID(MF_MT_MAJOR_TYPE, &major);
        if (major != MFMediaType_Audio) continue;

        UINT32 foundChannels = 0;
        UINT32 foundRate = 0;
        checkHResult(found->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &foundChannels), "MFPropertyGetError",
                     "Can't get number of audio channels");
        checkHResult(found->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &foundRate), "MFPropertyGetError",
                     "Can't get audio sample rate");
        streamTypes.push_back(std::move(found));
        audioStreams.push_back(index);

        // Bits per sample are left to the decoder: a PCM source keeps its
        // own, a compressed one decodes to 16.
        ComPtr<IMFMediaType> request;
        checkHResult(MFCreateMediaType(&request), "MFObjectCreateError", "Can't create audio type");
        checkHResult(request->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio), "MFropertySetError",
                     "Can't set audio major type");
        checkHResult(request->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM), "MFropertySetError",
                     "Can't set audio subtype");
        checkHResult(request->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, foundChannels), "MFropertySetError",
                     "Can't set audio number of channels");
        checkHResult(request->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, foundRate), "MFropertySetError",
                     "Can't set audio sample rate");
        checkHResult(sourceReader->SetCurrentMediaType(index, nullptr, request.get()), "MFropertySetError",
                     "Can't set current audio type");
        ComPtr<IMFMediaType> decoded;
        checkHResult(sourceReader->GetCurrentMediaType(index, &decoded), "MFPropertyGetError",
                     "Can't get current audio type");
        pcmTypes.push_back(std::move(decoded));
    }
    opened = true;
}

void AudioRecord::readProperties() {
    if (propertiesRead) return;
    if (!opened) open();

    {
        PropVariantGuard presentation;
        checkHResult(sourceReader->GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE),
                                                            MF_PD_DURATION, presentation.get()),
                     "MFPropertyGetError", "Can't get duration");
        duration = static_cast<double>(presentation.value().uhVal.QuadPart) / 1e7;
    }

    for (std::size_t k = 0; k < streamTypes.size(); ++k) {
        IMFMediaType& coded = *streamTypes[k];
        IMFMediaType& decoded = *pcmTypes[k];
        channels = codedOrDecoded(coded, decoded, MF_MT_AUDIO_NUM_CHANNELS);
        if (channels == 0) ErrorManager::throwException("MFPropertyGetError", "Can not get number of channels");
        bitsPerSample = MFGetAttributeUINT32(&decoded, MF_MT_AUDIO_BITS_PER_SAMPLE, 0);
        sampleRate = codedOrDecoded(coded, decoded, MF_MT_AUDIO_SAMPLES_PER_SECOND);
        if (sampleRate == 0) ErrorManager::throwException("MFPropertyGetError", "Can not get sample rate");
        avgBytesPerSecond = MFGetAttributeUINT32(&coded, MF_MT_AUDIO_AVG_BYTES_PER_SECOND, 0);
        bitRate = avgBytesPerSecond * 8;
        sampleCount = audioSampleCount(sampleRate, duration, channels);
        framesPerChannel = sampleCount / channels;

        streamChannels.push_back(channels);
        streamSampleRates.push_back(sampleRate);
        streamAvgBytesPerSecond.push_back(avgBytesPerSecond);
        streamBitRates.push_back(bitRate);
        streamSampleCounts.push_back(sampleCount);
        streamFramesPerChannel.push_back(framesPerChannel);
    }
    propertiesRead = true;
}

void AudioRecord::selectStream() {
    // The lists of a cached record describe the file as it was when first
    // read; the stream indices are those of the file as it is now.
    const std::size_t streams = std::min({audioStreams.size(), streamChannels.size(), pcmTypes.size()});
    if (streams == 0 || streamIndex < 0 || static_cast<uint64_t>(streamIndex) > streams) {
        ErrorManager::throwException("NumericalError", "Stream index is not valid");
    }
    const std::size_t k = streamIndex == 0 ? 0 : static_cast<std::size_t>(streamIndex - 1);
    streamIndex = audioStreams[k];

    // The array is sized and filled with the selected stream's own values,
    // whichever stream was examined last.
    channels = streamChannels[k];
    sampleRate = streamSampleRates[k];
    avgBytesPerSecond = streamAvgBytesPerSecond[k];
    bitRate = streamBitRates[k];
    sampleCount = streamSampleCounts[k];
    framesPerChannel = streamFramesPerChannel[k];

    // 8- and 16-bit PCM are read as they are; wider PCM would have to be
    // cut down and a depth below 8 gives no sample size, so both are
    // refused rather than misread.
    bitsPerSample = MFGetAttributeUINT32(pcmTypes[k].get(), MF_MT_AUDIO_BITS_PER_SAMPLE, 0);
    if (bitsPerSample < 8) {
        ErrorManager::throwException("MFMediaTypeSetError", "Decoded audio has fewer than 8 bits per sample");
    }
    if (bitsPerSample > 16) {
        ErrorManager::throwException("MFMediaTypeSetError", "Decoded audio is wider than 16 bits per sample");
    }
    if (bitsPerSample != 8 && bitsPerSample != 16) {
        ErrorManager::throwException("MFMediaTypeSetError", "Decoded audio is neither 8 nor 16 bits per sample");
    }
}

void AudioRecord::readSamples(int16_t* destination) {
    const auto stream = static_cast<DWORD>(streamIndex);
    checkHResult(sourceReader->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE),
                 "MFropertySetError", "Can't set stream selection");
    checkHResult(sourceReader->SetStreamSelection(stream, TRUE), "MFropertySetError", "Can't set stream selection");

    const uint32_t bytesPerSample = bitsPerSample / 8;
    uint32_t frame = 0;  // frames written so far, per channel
    while (frame < framesPerChannel) {
        DWORD flags = 0;
        ComPtr<IMFSample> sample;
        checkHResult(sourceReader->ReadSample(stream, 0, nullptr, &flags, nullptr, &sample), "MFSampleReadError",
                     "Can't read the sample");
        if (flags & MF_SOURCE_READERF_ENDOFSTREAM) break;
        if (!sample) ErrorManager::throwException("MFNullPointerError", "No sample data found");
        if (flags & (MF_SOURCE_READERF_ERROR | MF_SOURCE_READERF_NEWSTREAM)) {
            ErrorManager::throwException("MFSourceReaderError", "Source reader error occured");
        }
        ComPtr<IMFMediaBuffer> buffer;
        checkHResult(sample->ConvertToContiguousBuffer(&buffer), "MFBufferConversionError",
                     "Can't convert sample to buffer");
        BufferLock lock(buffer.get());
        DWORD length = 0;
        checkHResult(lock.lock(nullptr, &length), "MFLockUnlockError", "Can't lock the buffer for reading the data");
        // Whole frames only; a stream that delivers more than its duration
        // promised is cut there.
        const uint32_t frames = std::min<uint32_t>(static_cast<uint32_t>(length) / (bytesPerSample * channels),
                                                  framesPerChannel - frame);
        scatterFrames(lock.data(), bytesPerSample, channels, frames, frame, framesPerChannel, destination);
        frame += frames;
    }
    // A stream that ends early leaves silence in the rest of each row.
    for (uint32_t c = 0; c < channels && frame < framesPerChannel; ++c) {
        std::memset(destination + std::size_t{c} * framesPerChannel + frame, 0,
                    std::size_t{framesPerChannel - frame} * 2);
    }
}

}  // namespace TravexUtils
