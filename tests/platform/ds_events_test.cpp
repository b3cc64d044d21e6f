// Win32 events as the DirectShow reader uses them (named, manual reset; a
// wait across threads is exercised by the reader's stepping), and
// CoCreateInstance's answers for classes the platform does not have.
#include <gtest/gtest.h>

#include "platform/direct_show.h"

namespace PlatformTest {
namespace {

TEST(DsEvents, NamedEventsShareOneObjectUntilTheLastHandleCloses) {
    HANDLE first = CreateEventA(nullptr, TRUE, FALSE, "DsEventsShared");
    HANDLE second = CreateEventA(nullptr, TRUE, FALSE, "DsEventsShared");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(first));
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0) << "manual reset stays set";
    EXPECT_TRUE(ResetEvent(second));
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(second));
    // A new event under the name starts afresh.
    HANDLE third = CreateEventA(nullptr, TRUE, TRUE, "DsEventsShared");
    EXPECT_EQ(WaitForSingleObject(third, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(third));
}

TEST(DsEvents, ClosedAndUnknownHandlesAreRefused) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(event));
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
}

TEST(DsCreateInstance, RefusesClassesAndContextsItDoesNotHave) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(GUID_NULL, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_LOCAL_SERVER, IID_IGraphBuilder, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

}  // namespace
}  // namespace PlatformTest
