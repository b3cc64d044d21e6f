// ComPtr, BufferLock and PropVariantGuard: references and locks are given
// back on every path, and a filled ComPtr cannot be overwritten by a call.
// A failed lock is reported through the readers' failure tables.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/buffer_lock.h"
#include "platform/com_ptr.h"
#include "platform/linux/test_control.h"
#include "platform/prop_variant_guard.h"

namespace {

using MorvalePlatform::BufferLock;
using MorvalePlatform::ComPtr;
using MorvalePlatform::PropVariantGuard;
namespace TestControl = MorvalePlatform::TestControl;

ULONG referencesOf(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(ComPtr, CopiesShareMovesTransferAndResetReleases) {
    ComPtr<IMFMediaType> first;
    ASSERT_EQ(MFCreateMediaType(&first), S_OK);
    EXPECT_EQ(referencesOf(first.get()), 1u);
    {
        ComPtr<IMFMediaType> copy = first;
        EXPECT_EQ(referencesOf(first.get()), 2u);
        ComPtr<IMFMediaType> moved = std::move(copy);
        EXPECT_FALSE(copy);
        EXPECT_EQ(referencesOf(first.get()), 2u);
        moved = first;  // self-share through another name
        EXPECT_EQ(referencesOf(first.get()), 2u);
    }
    EXPECT_EQ(referencesOf(first.get()), 1u);
    ComPtr<IMFMediaType> shared = ComPtr<IMFMediaType>::share(first.get());
    EXPECT_EQ(referencesOf(first.get()), 2u);
    IMFMediaType* raw = shared.detach();
    EXPECT_EQ(raw->Release(), 1u);
    first = nullptr;
    EXPECT_EQ(TestControl::liveObjects(), 0);
}

TEST(ComPtr, AddressOfAFilledPointerIsRefused) {
    ComPtr<IMFMediaType> type;
    ASSERT_EQ(MFCreateMediaType(&type), S_OK);
    EXPECT_THROW(MFCreateMediaType(&type), std::logic_error);
    EXPECT_THROW(type.put(), std::logic_error);
    EXPECT_EQ(referencesOf(type.get()), 1u);
    type.reset();
    EXPECT_NO_THROW(type.put());
    EXPECT_EQ(TestControl::liveObjects(), 0);
}

TEST(BufferLock, UnlocksWhatItLockedOnEveryPath) {
    ComPtr<IMFMediaBuffer> buffer;
    ASSERT_EQ(MFCreateMemoryBuffer(16, &buffer), S_OK);
    {
        BufferLock lock(buffer.get());
        DWORD maxLength = 0;
        ASSERT_EQ(lock.lock(&maxLength), S_OK);
        EXPECT_EQ(maxLength, 16u);
        EXPECT_NE(lock.data(), nullptr);
        EXPECT_EQ(lock.lock(), E_UNEXPECTED) << "a guard locks once";
    }  // unlocked here
    EXPECT_NE(buffer->Unlock(), S_OK) << "nothing left to unlock";
    BufferLock lock(buffer.get());
    ASSERT_EQ(lock.lock(), S_OK);
    EXPECT_EQ(lock.unlock(), S_OK);
    EXPECT_FALSE(lock.locked());
    EXPECT_EQ(lock.unlock(), E_UNEXPECTED);
}

TEST(PropVariantGuard, ClearsWhatACallStoredInIt) {
    ComPtr<IMFAttributes> attributes;
    ASSERT_EQ(MFCreateAttributes(&attributes, 2), S_OK);
    ComPtr<IMFMediaType> type;
    ASSERT_EQ(MFCreateMediaType(&type), S_OK);
    ASSERT_EQ(attributes->SetUnknown(MF_MT_USER_DATA, type.get()), S_OK);
    ASSERT_EQ(attributes->SetString(MF_MT_SUBTYPE, L"a string"), S_OK);
    {
        PropVariantGuard unknown;
        PropVariantGuard text;
        ASSERT_EQ(attributes->GetItem(MF_MT_USER_DATA, unknown.get()), S_OK);
        ASSERT_EQ(attributes->GetItem(MF_MT_SUBTYPE, text.get()), S_OK);
        EXPECT_EQ(text->vt, VT_LPWSTR);
        EXPECT_EQ(referencesOf(type.get()), 3u);  // ours, the store's, the variant's
    }
    EXPECT_EQ(referencesOf(type.get()), 2u);
    PropVariantGuard number;
    number.setInt64(-5);
    EXPECT_EQ(number->vt, VT_I8);
    EXPECT_EQ(number->hVal.QuadPart, -5);
}

}  // namespace
