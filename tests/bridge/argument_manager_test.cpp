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

TEST(ArgumentManager, StringReadTwiceIsHandedBackOnceAtTheEnd) {
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
    const auto counters = korvel::hostCounters();
    EXPECT_EQ(counters.stringsHandedBack, 1);
    EXPECT_EQ(counters.invalidHandBacks, 0);
    EXPECT_EQ(counters.liveStrings, 0);
}

TEST(ArgumentManager, UnreadStringsAreNotHandedBack) {
    korvel::resetHostCounters();
    char* text = korvel::newHostString("x");
    MArgument arg{};
    arg.utf8string = &text;
    MArgument result{};
    { MArgumentManager manager(korvel::hostLibraryData(), 1, &arg, result); }
    EXPECT_EQ(korvel::hostCounters().stringsHandedBack, 0);
    korvel::hostLibraryData()->UTF8String_disown(text);
}

TEST(ArgumentManager, ResultsAreWrittenIntoTheSlot) {
    MArgument result{};
    mbool flag = 7;
    result.boolean = &flag;
    MArgumentManager manager(korvel::hostLibraryData(), 0, nullptr, result);
    manager.setBoolean(true);
    EXPECT_EQ(flag, 1);
    manager.setBoolean(false);
    EXPECT_EQ(flag, 0);

    char* text = nullptr;
    MArgument stringResult{};
    stringResult.utf8string = &text;
    MArgumentManager stringManager(korvel::hostLibraryData(), 0, nullptr, stringResult);
    stringManager.setString(std::string("first"));
    EXPECT_STREQ(text, "first");
    const std::string second = "second result";
    stringManager.setString(second);
    EXPECT_STREQ(text, "second result");
}

TEST(ArgumentManager, ConstructionRefreshesTheTableCopy) {
    LibDataHolder::setLibraryData(nullptr);
    EXPECT_EQ(LibDataHolder::getLibraryData(), nullptr);
    MArgument result{};
    MArgumentManager manager(korvel::hostLibraryData(), 0, nullptr, result);
    ASSERT_NE(LibDataHolder::getLibraryData(), nullptr);
    EXPECT_NE(LibDataHolder::getLibraryData(), korvel::hostLibraryData()) << "the library keeps its own copy";
    EXPECT_EQ(LibDataHolder::imageFunctions(), korvel::hostLibraryData()->imageLibraryFunctions);
    EXPECT_EQ(LibDataHolder::rawArrayFunctions(), korvel::hostLibraryData()->rawarrayLibraryFunctions);
    EXPECT_EQ(LibDataHolder::ioFunctions(), korvel::hostLibraryData()->ioLibraryFunctions);
}

}  // namespace
