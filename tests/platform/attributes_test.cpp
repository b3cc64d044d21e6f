// The attribute store behind media types and samples, and sample buffers:
// the IMFAttributes, IMFSample and IMFMediaBuffer behaviour library code
// relies on.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/com_ptr.h"
#include "platform/linux/test_control.h"

namespace {

using MorvalePlatform::ComPtr;

TEST(Attributes, ValuesComeBackOnlyAsTheTypeTheyWereStoredAs) {
    ComPtr<IMFAttributes> attributes;
    ASSERT_EQ(MFCreateAttributes(&attributes, 4), S_OK);
    ASSERT_EQ(attributes->SetUINT32(MF_MT_AVG_BITRATE, 7), S_OK);
    ASSERT_EQ(attributes->SetUINT64(MF_MT_FRAME_SIZE, Pack2UINT32AsUINT64(640, 480)), S_OK);
    ASSERT_EQ(attributes->SetDouble(MF_MT_FRAME_RATE, 2.5), S_OK);

    UINT32 u32 = 0;
    UINT64 u64 = 0;
    GUID guid{};
    EXPECT_EQ(attributes->GetUINT64(MF_MT_AVG_BITRATE, &u64), MF_E_INVALIDTYPE);
    EXPECT_EQ(attributes->GetUINT32(MF_MT_FRAME_SIZE, &u32), MF_E_INVALIDTYPE);
    EXPECT_EQ(attributes->GetGUID(MF_MT_FRAME_RATE, &guid), MF_E_INVALIDTYPE);
    EXPECT_EQ(attributes->GetUINT32(MF_MT_INTERLACE_MODE, &u32), MF_E_ATTRIBUTENOTFOUND);
    EXPECT_EQ(MFGetAttributeUINT32(attributes.get(), MF_MT_INTERLACE_MODE, 42), 42u);
    EXPECT_EQ(MFGetAttributeUINT32(attributes.get(), MF_MT_AVG_BITRATE, 0), 7u);
    EXPECT_EQ(MFGetAttributeDouble(attributes.get(), MF_MT_FRAME_RATE, 0), 2.5);
}

TEST(Sample, TimesAndBuffersBehaveAsOnWindows) {
    ComPtr<IMFSample> sample;
    ASSERT_EQ(MFCreateSample(&sample), S_OK);
    LONGLONG value = 0;
    EXPECT_EQ(sample->GetSampleTime(&value), MF_E_NO_SAMPLE_TIMESTAMP);
    EXPECT_EQ(sample->GetSampleDuration(&value), MF_E_NO_SAMPLE_DURATION);
    ComPtr<IMFMediaBuffer> none;
    EXPECT_EQ(sample->ConvertToContiguousBuffer(&none), E_UNEXPECTED);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(sample->QueryInterface(IID_IUnknown, unknown.putVoid()), S_OK);
    unknown.reset();
    ComPtr<IMFSourceReader> notAReader;
    EXPECT_EQ(sample->QueryInterface(IID_IMFSourceReader, notAReader.putVoid()), E_NOINTERFACE);
    ASSERT_EQ(sample->SetSampleTime(-400000), S_OK);
    EXPECT_EQ(sample->GetSampleTime(&value), S_OK);
    EXPECT_EQ(value, -400000);

    // Two buffers join into one contiguous buffer that replaces them.
    for (BYTE fill : {BYTE{1}, BYTE{2}}) {
        ComPtr<IMFMediaBuffer> buffer;
        ASSERT_EQ(MFCreateMemoryBuffer(8, &buffer), S_OK);
        BYTE* data = nullptr;
        ASSERT_EQ(buffer->Lock(&data, nullptr, nullptr), S_OK);
        std::memset(data, fill, 3);
        ASSERT_EQ(buffer->Unlock(), S_OK);
        ASSERT_EQ(buffer->SetCurrentLength(3), S_OK);
        EXPECT_EQ(buffer->SetCurrentLength(9), E_INVALIDARG);
        ASSERT_EQ(sample->AddBuffer(buffer.get()), S_OK);
    }
    DWORD total = 0;
    EXPECT_EQ(sample->GetTotalLength(&total), S_OK);
    EXPECT_EQ(total, 6u);
    ComPtr<IMFMediaBuffer> joined;
    ASSERT_EQ(sample->ConvertToContiguousBuffer(&joined), S_OK);
    DWORD count = 0;
    EXPECT_EQ(sample->GetBufferCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    BYTE* data = nullptr;
    DWORD length = 0;
    ASSERT_EQ(joined->Lock(&data, nullptr, &length), S_OK);
    ASSERT_EQ(length, 6u);
    const BYTE expected[] = {1, 1, 1, 2, 2, 2};
    EXPECT_EQ(std::memcmp(data, expected, 6), 0);
    joined->Unlock();

    ComPtr<IMFMediaBuffer> tooSmall;
    ASSERT_EQ(MFCreateMemoryBuffer(5, &tooSmall), S_OK);
    EXPECT_EQ(sample->CopyToBuffer(tooSmall.get()), MF_E_BUFFERTOOSMALL);

    // An object stored in an attribute is counted until the store goes.
    ComPtr<IMFMediaType> type;
    ASSERT_EQ(MFCreateMediaType(&type), S_OK);
    ASSERT_EQ(sample->SetUnknown(MF_MT_USER_DATA, type.get()), S_OK);
    type.reset();
    joined.reset();
    tooSmall.reset();
    EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 3) << "the sample, its buffer and the stored type";
    sample.reset();
    EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 0);
}

}  // namespace
