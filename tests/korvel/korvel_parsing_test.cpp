// korvel's own logic without a library loaded: session lines split into
// words, options taken out of a call, argument text parsed by its kind into
// host values (and freed when a later one is bad), and results rendered as
// JSON with the host's arrays freed afterwards.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/korvel/command_line.h"
#include "host/korvel/argument_text.h"
#include "host/korvel/result_output.h"
#include "host/stand_in/host_stand_in.h"

namespace {

using namespace korvel;
using Words = std::vector<std::string>;
using ArgKind = ArgumentKind;

TEST(KorvelWords, SessionLinesSplitLikeASimpleShell) {
    struct Case {
        std::string line;
        std::optional<Words> words;  // nullopt: refused
    };
    const Case cases[] = {
        {"", Words{}},
        {" \t ", Words{}},
        {"F a  b", Words{"F", "a", "b"}},
        {"F a\r", Words{"F", "a"}},  // a line of a CRLF file
        {"F '' \"\"", Words{"F", "", ""}},
        {"F 'a b' \"c\td\"", Words{"F", "a b", "c\td"}},
        {"F a'b c'd", Words{"F", "ab cd"}},  // quotes join onto the word around them
        {"F \"say \\\"hi\\\"\"", Words{"F", "say \"hi\""}},
        {"F \"a\\\\b\"", Words{"F", "a\\b"}},
        {"F 'a\\b'", Words{"F", "a\\b"}},  // no escapes between single quotes
        {"F a\\ b", Words{"F", "a\\", "b"}},  // nor outside quotes
        {"F \"it's\" 'say \"x\"'", Words{"F", "it's", "say \"x\""}},
        {"F 'open", std::nullopt},
        {"F \"open", std::nullopt},
        {"F \"ends in a backslash\\", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        if (c.words) {
            EXPECT_EQ(splitWords(c.line), *c.words);
        } else {
            EXPECT_THROW(splitWords(c.line), std::invalid_argument);
        }
    }
}

TEST(KorvelWords, OptionsAreTakenOutAnywhereAfterTheFunction) {
    struct Case {
        Words words;
        Words arguments;
        std::string out;
        bool checksum;
    };
    const Case cases[] = {
        {{"F"}, {}, "", false},
        {{"F", "a", "--out", "p", "b"}, {"a", "b"}, "p", false},
        {{"F", "--checksum", "a"}, {"a"}, "", true},
        {{"F", "a", "--no-write"}, {"a"}, "", true},
        {{"F", "--out", "--checksum"}, {}, "--checksum", false},  // the word after --out is its path
        {{"F", "--out", "x", "--out", "y"}, {}, "y", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.words));
        const Invocation invocation = parseInvocation(c.words);
        EXPECT_EQ(invocation.function, "F");
        EXPECT_EQ(invocation.arguments, c.arguments);
        EXPECT_EQ(invocation.options.out, c.out);
        EXPECT_EQ(invocation.options.checksum, c.checksum);
    }
    EXPECT_THROW(parseInvocation({}), std::invalid_argument);
    EXPECT_THROW(parseInvocation({"F", "a", "--out"}), std::invalid_argument);
}

TEST(KorvelArguments, NumberListsParseExactlyOrAreRefused) {
    EXPECT_EQ(parseIntegerList("3,1,3"), (std::vector<long long>{3, 1, 3}));
    EXPECT_EQ(parseIntegerList(""), std::vector<long long>{});
    EXPECT_EQ(parseIntegerList("-1,0,9223372036854775807"),
              (std::vector<long long>{-1, 0, std::numeric_limits<long long>::max()}));
    EXPECT_EQ(parseRealList("0.04,1e3,-2"), (std::vector<double>{0.04, 1000.0, -2.0}));
    EXPECT_EQ(parseRealList(""), std::vector<double>{});
    for (const char* bad : {"1,", ",1", "1,,2", "1,x", "1.5", "0x10", "1 ", "9223372036854775808"}) {
        EXPECT_THROW(parseIntegerList(bad), std::invalid_argument) << bad;
    }
    for (const char* bad : {"0.04,", "a", "1,,2", "1.0x"}) {
        EXPECT_THROW(parseRealList(bad), std::invalid_argument) << bad;
    }
}

class KorvelHostValues : public ::testing::Test {
protected:
    void SetUp() override { resetHostCounters(); }
    void TearDown() override {
        const HostCounters counters = hostCounters();
        EXPECT_EQ(counters.liveArrays(), 0);
        EXPECT_EQ(counters.liveStrings, 0);
        EXPECT_EQ(counters.invalidFrees, 0);
        EXPECT_EQ(counters.invalidHandBacks, 0);
    }
};

// What was made before a bad argument is freed; the count check is first.
TEST_F(KorvelHostValues, BadTextFreesWhatWasMadeBeforeIt) {
    const std::vector<ArgKind> kinds{ArgKind::String, ArgKind::IntegerList, ArgKind::Integer};
    const std::vector<Words> bad{
        {"a", "1,2", "x"},
        {"a", "1,y", "1"},
        {"a", "1,2"},
        {"a", "1,2", "3", "4"},
    };
    for (const Words& texts : bad) {
        SCOPED_TRACE(::testing::PrintToString(texts));
        EXPECT_THROW(
            {
                HostArguments arguments;
                addArgumentsFromText(arguments, kinds, texts);
            },
            std::invalid_argument);
        EXPECT_EQ(hostCounters().liveArrays(), 0);
        EXPECT_EQ(hostCounters().liveStrings, 0);
    }
}

TEST_F(KorvelHostValues, ScalarResultsRenderAsJson) {
    struct Case {
        ResultKind kind;
        ResultStorage value;
        std::string json;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {ResultKind::Boolean, {.boolean = 1}, "true"},
        {ResultKind::Boolean, {.boolean = 0}, "false"},
        {ResultKind::Integer, {.integer = -9007199254740993LL}, "-9007199254740993"},
        {ResultKind::Real, {.real = 0.1}, "0.1"},
        {ResultKind::Real, {.real = nan}, "null"},
        {ResultKind::String, {}, "\"\""},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(renderResult(c.kind, c.value, {}), c.json);
    }

    char text[] = "a\"b\\c\n\t\x01\xC3\xA9";
    ResultStorage string{.string = text};
    EXPECT_EQ(renderResult(ResultKind::String, string, {}), "\"a\\\"b\\\\c\\n\\t\\u0001\xC3\xA9\"");

    ResultStorage link;
    EXPECT_THROW(renderResult(ResultKind::Expression, link, {}), std::logic_error);
}

TEST_F(KorvelHostValues, ArrayResultsRenderInRowMajorOrderAndAreFreed) {
    ResultStorage result;
    result.tensor = newHostTensor(MType_Real, {2, 3});
    const double values[] = {1, 2.5, -3, 4, 5, 0.25};
    std::memcpy(const_cast<void*>(tensorData(result.tensor)), values, sizeof values);
    EXPECT_EQ(renderResult(ResultKind::RealTensor, result, {}), "[[1.0,2.5,-3.0],[4.0,5.0,0.25]]");
    EXPECT_EQ(result.tensor, nullptr);

    result.tensor = newHostTensor(MType_Integer, {0});
    EXPECT_EQ(renderResult(ResultKind::IntegerTensor, result, {}), "[]");

    result.rawArray = newHostRawArray(MRawArray_Type_Bit16, {2, 5});
    EXPECT_EQ(renderResult(ResultKind::RawArray, result, {}), "{\"dimensions\":[2,5]}");
    EXPECT_EQ(result.rawArray, nullptr);
    EXPECT_EQ(hostCounters().arraysFreed, 3);
}

}  // namespace
