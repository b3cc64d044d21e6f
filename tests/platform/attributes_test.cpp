// The attribute store behind media types and samples, media type
// comparison, and sample buffers: the IMFAttributes, IMFMediaType, IMFSample
// and IMFMediaBuffer behaviour library code relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

#include "platform/com_ptr.h"
#include "platform/linux/test_control.h"
#include "platform/prop_variant_guard.h"

namespace {

using MorvalePlatform::ComPtr;
using MorvalePlatform::PropVariantGuard;

ComPtr<IMFMediaType> videoType(UINT32 width, UINT32 height) {
    ComPtr<IMFMediaType> type;
    EXPECT_EQ(MFCreateMediaType(&type), S_OK);
    type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    type->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_RGB32);
    MFSetAttributeSize(type.get(), MF_MT_FRAME_SIZE, width, height);
    return type;
}

TEST(Attributes, ValuesComeBackOnlyAsTheTypeTheyWereStoredAs) {
    ComPtr<IMFAttributes> attributes;
    ASSERT_EQ(MFCreateAttributes(&attributes, 4), S_OK);
    ASSERT_EQ(attributes->SetUINT32(MF_MT_AVG_BITRATE, 7), S_OK);
    ASSERT_EQ(attributes->SetUINT64(MF_MT_FRAME_SIZE, Pack2UINT32AsUINT64(640, 480)), S_OK);
    ASSERT_EQ(attributes->SetDouble(MF_MT_FRAME_RATE, 2.5), S_OK);
    ASSERT_EQ(attributes->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_H264), S_OK);

    UINT32 u32 = 0;
    UINT64 u64 = 0;
    double real = 0;
    GUID guid{};
    EXPECT_EQ(attributes->GetUINT32(MF_MT_AVG_BITRATE, &u32), S_OK);
    EXPECT_EQ(u32, 7u);
    EXPECT_EQ(attributes->GetUINT64(MF_MT_FRAME_SIZE, &u64), S_OK);
    EXPECT_EQ(u64, Pack2UINT32AsUINT64(640, 480));
    EXPECT_EQ(attributes->GetDouble(MF_MT_FRAME_RATE, &real), S_OK);
    EXPECT_EQ(real, 2.5);
    EXPECT_EQ(attributes->GetGUID(MF_MT_SUBTYPE, &guid), S_OK);
    EXPECT_EQ(guid, MFVideoFormat_H264);

    EXPECT_EQ(attributes->GetUINT64(MF_MT_AVG_BITRATE, &u64), MF_E_INVALIDTYPE);
    EXPECT_EQ(attributes->GetUINT32(MF_MT_FRAME_SIZE, &u32), MF_E_INVALIDTYPE);
    EXPECT_EQ(attributes->GetGUID(MF_MT_FRAME_RATE, &guid), MF_E_INVALIDTYPE);
    EXPECT_EQ(attributes->GetUINT32(MF_MT_INTERLACE_MODE, &u32), MF_E_ATTRIBUTENOTFOUND);
    EXPECT_EQ(MFGetAttributeUINT32(attributes.get(), MF_MT_INTERLACE_MODE, 42), 42u);

    // Overwriting keeps one item, in its first position.
    ASSERT_EQ(attributes->SetUINT32(MF_MT_AVG_BITRATE, 9), S_OK);
    UINT32 count = 0;
    EXPECT_EQ(attributes->GetCount(&count), S_OK);
    EXPECT_EQ(count, 4u);
    GUID key{};
    PropVariantGuard first;
    EXPECT_EQ(attributes->GetItemByIndex(0, &key, first.get()), S_OK);
    EXPECT_EQ(key, MF_MT_AVG_BITRATE);
    EXPECT_EQ(first->ulVal, 9u);
    EXPECT_EQ(attributes->GetItemByIndex(4, &key, nullptr), E_INVALIDARG);

    ASSERT_EQ(attributes->DeleteItem(MF_MT_AVG_BITRATE), S_OK);
    EXPECT_EQ(attributes->GetItem(MF_MT_AVG_BITRATE, nullptr), MF_E_ATTRIBUTENOTFOUND);
}

TEST(Attributes, StringsAndBlobsAreCopiedInAndOut) {
    ComPtr<IMFAttributes> attributes;
    ASSERT_EQ(MFCreateAttributes(&attributes, 2), S_OK);
    ASSERT_EQ(attributes->SetString(MF_MT_SUBTYPE, L"abc"), S_OK);
    UINT32 length = 0;
    EXPECT_EQ(attributes->GetStringLength(MF_MT_SUBTYPE, &length), S_OK);
    EXPECT_EQ(length, 3u);
    WCHAR small[3];
    EXPECT_EQ(attributes->GetString(MF_MT_SUBTYPE, small, 3, &length), HRESULT_FROM_WIN32(122));
    WCHAR text[4];
    EXPECT_EQ(attributes->GetString(MF_MT_SUBTYPE, text, 4, &length), S_OK);
    EXPECT_EQ(std::wcscmp(text, L"abc"), 0);
    LPWSTR allocated = nullptr;
    EXPECT_EQ(attributes->GetAllocatedString(MF_MT_SUBTYPE, &allocated, &length), S_OK);
    EXPECT_EQ(std::wcscmp(allocated, L"abc"), 0);
    CoTaskMemFree(allocated);

    const UINT8 bytes[] = {1, 2, 3, 4, 5};
    ASSERT_EQ(attributes->SetBlob(MF_MT_USER_DATA, bytes, sizeof(bytes)), S_OK);
    UINT32 size = 0;
    EXPECT_EQ(attributes->GetBlobSize(MF_MT_USER_DATA, &size), S_OK);
    EXPECT_EQ(size, 5u);
    UINT8 out[5] = {};
    EXPECT_EQ(attributes->GetBlob(MF_MT_USER_DATA, out, 4, &size), HRESULT_FROM_WIN32(122));
    EXPECT_EQ(attributes->GetBlob(MF_MT_USER_DATA, out, 5, &size), S_OK);
    EXPECT_EQ(std::memcmp(out, bytes, 5), 0);
}

TEST(Attributes, CompareFollowsTheMatchType) {
    auto small = videoType(4, 4);
    auto large = videoType(4, 4);
    large->SetUINT32(MF_MT_AVG_BITRATE, 100);
    struct Case {
        MF_ATTRIBUTES_MATCH_TYPE match;
        BOOL expected;
    };
    const Case cases[] = {{MF_ATTRIBUTES_MATCH_OUR_ITEMS, TRUE},
                          {MF_ATTRIBUTES_MATCH_THEIR_ITEMS, FALSE},
                          {MF_ATTRIBUTES_MATCH_ALL_ITEMS, FALSE},
                          {MF_ATTRIBUTES_MATCH_INTERSECTION, TRUE},
                          {MF_ATTRIBUTES_MATCH_SMALLER, TRUE}};
    for (const auto& c : cases) {
        BOOL result = !c.expected;
        EXPECT_EQ(small->Compare(large.get(), c.match, &result), S_OK);
        EXPECT_EQ(result, c.expected) << "match type " << c.match;
    }
    MFSetAttributeSize(large.get(), MF_MT_FRAME_SIZE, 8, 4);
    BOOL result = TRUE;
    EXPECT_EQ(small->Compare(large.get(), MF_ATTRIBUTES_MATCH_INTERSECTION, &result), S_OK);
    EXPECT_FALSE(result);
}

TEST(MediaType, IsEqualReportsWhatDiffers) {
    auto a = videoType(4, 4);
    auto b = videoType(4, 4);
    DWORD flags = 0;
    EXPECT_EQ(a->IsEqual(b.get(), &flags), S_OK);
    MFSetAttributeSize(b.get(), MF_MT_FRAME_SIZE, 4, 8);
    EXPECT_EQ(a->IsEqual(b.get(), &flags), S_FALSE);
    EXPECT_EQ(flags, DWORD{MF_MEDIATYPE_EQUAL_MAJOR_TYPES | MF_MEDIATYPE_EQUAL_FORMAT_TYPES});
    GUID major{};
    EXPECT_EQ(a->GetMajorType(&major), S_OK);
    EXPECT_EQ(major, MFMediaType_Video);
    BOOL compressed = TRUE;
    a->SetUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, 1);
    EXPECT_EQ(a->IsCompressedFormat(&compressed), S_OK);
    EXPECT_FALSE(compressed);
}

TEST(Sample, TimesAndBuffersBehaveAsOnWindows) {
    ComPtr<IMFSample> sample;
    ASSERT_EQ(MFCreateSample(&sample), S_OK);
    LONGLONG value = 0;
    EXPECT_EQ(sample->GetSampleTime(&value), MF_E_NO_SAMPLE_TIMESTAMP);
    EXPECT_EQ(sample->GetSampleDuration(&value), MF_E_NO_SAMPLE_DURATION);
    ComPtr<IMFMediaBuffer> none;
    EXPECT_EQ(sample->ConvertToContiguousBuffer(&none), E_UNEXPECTED);
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
}

TEST(LiveObjects, ReturnToZeroAfterTheseTests) {
    {
        auto type = videoType(2, 2);
        ComPtr<IMFSample> sample;
        ASSERT_EQ(MFCreateSample(&sample), S_OK);
        ASSERT_EQ(sample->SetUnknown(MF_MT_USER_DATA, type.get()), S_OK);
        EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 2);
    }
    EXPECT_EQ(MorvalePlatform::TestControl::liveObjects(), 0);
}

}  // namespace
