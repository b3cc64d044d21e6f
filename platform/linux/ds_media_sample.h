// MediaSample: the IMediaSample the sample grabber passes to SampleCB. Its
// times and sync point come from the stream's packets; it holds its frame
// still to be decoded (a slot of the stream's LazyVideoDecoder, which the
// sample keeps alive) or already decoded, and decodes and converts it to the
// grabber's bottom-up 24-bit bitmap only when GetPointer asks for the bytes,
// once; a callback that looks at times alone (counting frames) costs no
// decoding and no conversion. Lengths are known without converting. A
// sample may be kept (AddRef) and used after the callback, on any thread,
// after the run has ended too.
#pragma once

#include "platform/direct_show.h"
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/linux/com_object.h"
#include "platform/linux/ds_bgr24_converter.h"
#include "platform/linux/lazy_video_decoder.h"

namespace MorvalePlatform {

class MediaSample final : public ComObject<IMediaSample> {
public:
    struct Times {
        REFERENCE_TIME start = 0;
        REFERENCE_TIME stop = 0;
    };

    // times: none for a frame without a time stamp.
    static ComPtr<MediaSample> create(FramePtr frame, std::shared_ptr<Bgr24Converter> converter,
                                      std::optional<Times> times, bool keyFrame);
    static ComPtr<MediaSample> create(std::shared_ptr<LazyVideoDecoder> decoder, std::shared_ptr<FrameSlot> slot,
                                      std::shared_ptr<Bgr24Converter> converter, std::optional<Times> times,
                                      bool keyFrame);

    HRESULT STDMETHODCALLTYPE GetPointer(BYTE** ppBuffer) override;
    LONG STDMETHODCALLTYPE GetSize() override;
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) override;
    HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) override;
    HRESULT STDMETHODCALLTYPE IsSyncPoint() override;
    HRESULT STDMETHODCALLTYPE SetSyncPoint(BOOL bIsSyncPoint) override;
    HRESULT STDMETHODCALLTYPE IsPreroll() override;
    HRESULT STDMETHODCALLTYPE SetPreroll(BOOL bIsPreroll) override;
    LONG STDMETHODCALLTYPE GetActualDataLength() override;
    HRESULT STDMETHODCALLTYPE SetActualDataLength(LONG length) override;
    HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE** ppMediaType) override;
    HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE* pMediaType) override;
    HRESULT STDMETHODCALLTYPE IsDiscontinuity() override;
    HRESULT STDMETHODCALLTYPE SetDiscontinuity(BOOL bDiscontinuity) override;
    HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;
    HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;

protected:
    void* interfaceFor(REFIID riid) override;

private:
    MediaSample(FramePtr frame, std::shared_ptr<LazyVideoDecoder> decoder, std::shared_ptr<FrameSlot> slot,
                std::shared_ptr<Bgr24Converter> converter, std::optional<Times> times, bool keyFrame) noexcept;

    std::mutex mutex_;
    std::shared_ptr<LazyVideoDecoder> decoder_;  // until frame_ is here
    std::shared_ptr<FrameSlot> slot_;
    FramePtr frame_;  // until converted
    std::shared_ptr<Bgr24Converter> converter_;
    std::vector<BYTE> pixels_;
    std::optional<Times> times_;
    bool keyFrame_;
};

}  // namespace MorvalePlatform
