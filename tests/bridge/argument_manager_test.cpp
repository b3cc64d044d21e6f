#include <gtest/gtest.h>

#include "bridge/error_manager.h"
#include "bridge/lib_data_holder.h"
#include "bridge/margument_manager.h"
#include "host/stand_in/host_stand_in.h"

using namespace TravexUtils;

namespace {

TEST(ArgumentManager, IndexBeyondTheArgumentsNamesTheIndex) {
    MArgument result{};
    MArgumentManager manager(korvel::hostLibraryData(), 0, nullptr, result);
    for (uint32_t index : {0u, 7u, 4294967295u}) {
        try {
            manager.getInteger(index);
            FAIL();
        } catch (const TravexError& e) {
            EXPECT_EQ(e.name(), "MArgumentIndexError");
            EXPECT_EQ(e.id(), -2);
            EXPECT_EQ(e.debugInfo(), "Index " + std::to_string(index) + " out-of-bound when accessing Travex argument");
        }
    }
    EXPECT_THROW(manager.getCString(0), TravexError);
    EXPECT_THROW(manager.getTensor(0), TravexError);
}

TEST(ArgumentManager, AStringReadIsHandedBackOnceAtTheEnd) {
    korvel::resetHostCounters();
    char* text = korvel::newHostString("caf\xC3\xA9.mp4");
    mint number = 12;
    MArgument args[2];
    args[0].utf8string = &text;
    args[1].integer = &number;
    MArgument result{};
    {
        MArgumentManager manager(korvel::hostLibraryData(), 2, args, result);
        const char* first = manager.getCString(0);
        EXPECT_EQ(manager.getString(0), "caf\xC3\xA9.mp4");
        EXPECT_EQ(manager.getCString(0), first);
        EXPECT_EQ(manager.getInteger(1), 12);
        EXPECT_EQ(korvel::hostCounters().stringsHandedBack, 0) << "nothing is handed back before the call ends";
    }
    EXPECT_EQ(korvel::hostCounters().stringsHandedBack, 1);
    // A string the call never read is not handed back.
    text = korvel::newHostString("x");
    { MArgumentManager manager(korvel::hostLibraryData(), 2, args, result); }
    const auto counters = korvel::hostCounters();
    EXPECT_EQ(counters.stringsHandedBack, 1);
    EXPECT_EQ(counters.invalidHandBacks, 0);
    korvel::hostLibraryData()->UTF8String_disown(text);
    EXPECT_EQ(korvel::hostCounters().liveStrings, 0);
}

TEST(ArgumentManager, ConstructionRefreshesTheTableCopy) {
    LibDataHolder::setLibraryData(nullptr);
    EXPECT_EQ(LibDataHolder::getLibraryData(), nullptr);
    MArgument result{};
    MArgumentManager manager(korvel::hostLibraryData(), 0, nullptr, result);
    ASSERT_NE(LibDataHolder::getLibraryData(), nullptr);
    EXPECT_NE(LibDataHolder::getLibraryData(), korvel::hostLibraryData()) << "the library keeps its own copy";
    EXPECT_EQ(LibDataHolder::ioFunctions(), korvel::hostLibraryData()->ioLibraryFunctions) << "no call reads it yet";
}

}  // namespace
