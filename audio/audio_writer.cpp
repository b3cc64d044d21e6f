// The writing operations of AudioRecord (declared in audio_record.h): an AAC
// stream set up in a sink writer for the record's path, planar 16-bit
// samples fed to it interleaved in chunks (audio_chunks.h), then finalized.
#include "audio/audio_chunks.h"
#include "audio/audio_output_extensions.h"
#include "audio/audio_record.h"
#include "media/check_hresult.h"
#include "platform/buffer_lock.h"
#include "platform/utf.h"

namespace TravexUtils {

using MorvalePlatform::BufferLock;
using MorvalePlatform::ComPtr;

namespace {

constexpr UINT32 kBitsPerSample = 16;

// One attribute set of the writer's table: the named error with its step.
void setAttribute(HRESULT result, const char* debugText) { checkHResult(result, "MFropertySetError", debugText); }

}  // namespace

void AudioRecord::setUpWriter() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE);
    checkHResult(MFStartup(MF_VERSION, MFSTARTUP_FULL), "MFLibraryStartError", "Can't start MF library");
    if (!isAudioOutputExtension(path)) {
        ErrorManager::throwException("TypeError", "Invalid output file extension");
    }
    const auto widePath = MorvalePlatform::utf8ToWide(path);
    if (!widePath) ErrorManager::throwException("MFObjectCreateError", "Can't create Sink Writer from url");
    sinkWriter.reset();
    checkHResult(MFCreateSinkWriterFromURL(widePath->c_str(), nullptr, nullptr, &sinkWriter), "MFObjectCreateError",
                 "Can't create Sink Writer from url");

    {
        ComPtr<IMFMediaType> output;
        checkHResult(MFCreateMediaType(&output), "MFObjectCreateError", "Can't create media type");
        setAttribute(output->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio), "Can't set output audio major type");
        setAttribute(output->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_AAC), "Can't set output audio subtype");
        setAttribute(output->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, kBitsPerSample),
                     "Can't set output audio bits per sample");
        setAttribute(output->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, sampleRate),
                     "Can't set output audio sample rate");
        setAttribute(output->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, channels),
                     "Can't set output audio number of channels");
        setAttribute(output->SetUINT32(MF_MT_AUDIO_AVG_BYTES_PER_SECOND, avgBytesPerSecond), "Can't set bitrate");
        DWORD index = 0;
        checkHResult(sinkWriter->AddStream(output.get(), &index), "MFAddStreamError", "Can't add stream to Sink Writer");
        streamIndex = index;
    }

    ComPtr<IMFMediaType> input;
    checkHResult(MFCreateMediaType(&input), "MFObjectCreateError", "Can't create audio type");
    setAttribute(input->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio), "Can't set input audio major type");
    setAttribute(input->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM), "Can't set input audio subtype");
    setAttribute(input->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, kBitsPerSample), "Can't set input audio bits per sample");
    setAttribute(input->SetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, sampleRate), "Can't set input audio sample rate");
    setAttribute(input->SetUINT32(MF_MT_AUDIO_NUM_CHANNELS, channels), "Can't set input audio number of channels");
    setAttribute(input->SetUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, 1), "Can't set all samples to be independent");
    setAttribute(input->SetUINT32(MF_MT_FIXED_SIZE_SAMPLES, 1), "Can't set fixed input size");
    setAttribute(sinkWriter->SetInputMediaType(static_cast<DWORD>(streamIndex), input.get(), nullptr),
                 "Can't set input audio type to Sink Writer");
    input.reset();
    checkHResult(sinkWriter->BeginWriting(), "MFWriteError", "Can't begin writing");
}

void AudioRecord::writeSamples(const int16_t* samples) {
    for (const AudioChunk& chunk : audioChunks(framesPerChannel)) writeChunk(chunk, samples);
    checkHResult(sinkWriter->Finalize(), "MFFinalizeError", "Can't finalize Sink Writer");
}

void AudioRecord::writeChunk(const AudioChunk& chunk, const int16_t* samples) {
    const auto bytes = static_cast<DWORD>(std::size_t{chunk.frames} * channels * sizeof(int16_t));
    ComPtr<IMFMediaBuffer> buffer;
    checkHResult(MFCreateMemoryBuffer(bytes, &buffer), "MFObjectCreateError", "Can't create memory buffer");
    {
        BufferLock lock(buffer.get());
        checkHResult(lock.lock(), "MFropertySetError", "Can't lock the buffer");
        interleaveChunk(samples, framesPerChannel, channels, chunk.position, chunk.frames,
                        reinterpret_cast<int16_t*>(lock.data()));
        checkHResult(lock.unlock(), "MFLockUnlockError", "Can't unlock the buffer");
    }
    checkHResult(buffer->SetCurrentLength(bytes), "MFropertySetError", "Can't set current buffer length");
    ComPtr<IMFSample> sample;
    checkHResult(MFCreateSample(&sample), "MFropertySetError", "Can't create sample");
    checkHResult(sample->AddBuffer(buffer.get()), "MFAddBufferError", "Can't add buffer to sample");
    checkHResult(sample->SetSampleTime(chunk.time), "MFropertySetError", "Can't set sample time");
    checkHResult(sample->SetSampleDuration(chunk.duration), "MFropertySetError", "Can't set sample duration");
    checkHResult(sinkWriter->WriteSample(static_cast<DWORD>(streamIndex), sample.get()), "MFWriteError",
                 "Can't write sampe into the stream");
}

void AudioRecord::releaseWriter() {
    if (!sinkWriter) ErrorManager::throwException("MFNullPointerError", "Writer object is null");
    sinkWriter.reset();
}

}  // namespace TravexUtils
