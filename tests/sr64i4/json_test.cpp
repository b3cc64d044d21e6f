// JSON rendering of expressions. (korvel's tests show nested associations
// and integral reals in the output of the link functions.)
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "host/sr64i4/sr_host.h"

namespace {

SrValue str(std::string s) { return SrValue::ofString(std::move(s)); }
SrValue num(long long n) { return SrValue::ofInteger(n); }
SrValue real(double x) { return SrValue::ofReal(x); }
SrValue rule(SrValue k, SrValue v) { return SrValue::ofRule(std::move(k), std::move(v)); }

struct JsonCase {
    const char* what;
    SrValue value;
    std::string json;
};

TEST(SrJson, RendersExpressionsAsJson) {
    const JsonCase cases[] = {
        {"list", SrValue::ofList({num(-1), real(2.5), str("a"), SrValue::ofList({})}), R"([-1,2.5,"a",[]])"},
        {"empty association", SrValue::ofAssociation({}), "{}"},
        {"escaping", str("q\"b\\s\n\t\r\b\f\x01\x1f" "\xC3\xA9"), R"("q\"b\\s\n\t\r\b\f\u0001\u001f)" "\xC3\xA9\""},
        {"escaped key", SrValue::ofAssociation({rule(str("a\"b"), num(1))}), R"({"a\"b":1})"},
        {"real key", SrValue::ofAssociation({rule(real(2.5), num(1))}), R"({"2.5":1})"},
        {"list key", SrValue::ofAssociation({rule(SrValue::ofList({num(1)}), num(1))}), R"({"[1]":1})"},
        {"shortest round trip", real(0.04), "0.04"},
        {"every digit it needs", real(0.1 + 0.2), "0.30000000000000004"},
        {"negative zero", real(-0.0), "-0.0"},
        {"small real", real(1e-7), "1e-07"},
        {"infinity", real(HUGE_VAL), "null"},
        {"delete character", str("\x7F"), R"("\u007f")"},
        {"large real", real(1e21), "1e+21"},
        {"not a number", real(std::nan("")), "null"},
        {"smallest integer", num(LLONG_MIN), "-9223372036854775808"},
        {"other head", SrValue::ofFunction("f", {num(1), str("x")}), R"({"head":"f","args":[1,"x"]})"},
        {"association with a non-rule",
         SrValue::ofAssociation({rule(str("a"), num(1)), num(2)}),
         R"({"head":"Association","args":[{"head":"Rule","args":["a",1]},2]})"},
    };
    for (const JsonCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(srhost_toJson(c.value), c.json);
    }
}

}  // namespace
