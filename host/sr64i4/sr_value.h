// One expression as the link stand-in stores it and as the host side sees it:
// a function (head and arguments), an integer, a real or a string.
//
// Every node also remembers which SR put function wrote it ("SRPutByteString",
// "SRPutUTF8String", "SRPutInteger64", ...), or "" when the host side put it,
// so tests can tell apart puts that yield the same value. Equality ignores
// that origin and compares structure and payload only.
#pragma once

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#if defined(_WIN32)
#if defined(SR64I4_BUILDING)
#define SRHOST_API __declspec(dllexport)
#else
#define SRHOST_API __declspec(dllimport)
#endif
#else
#define SRHOST_API __attribute__((visibility("default")))
#endif

struct SrValue {
    enum class Kind { Function, Integer, Real, String };

    Kind kind = Kind::Integer;
    std::string head;             // Function: the head name
    std::vector<SrValue> args;    // Function: its arguments in order
    long long integer = 0;        // Integer
    double real = 0.0;            // Real
    std::string text;             // String: always valid UTF-8
    std::string origin;           // SR put function that wrote the node, "" if the host did

    static SrValue ofFunction(std::string name, std::vector<SrValue> arguments) {
        SrValue v;
        v.kind = Kind::Function;
        v.head = std::move(name);
        v.args = std::move(arguments);
        return v;
    }
    static SrValue ofList(std::vector<SrValue> elements) { return ofFunction("List", std::move(elements)); }
    static SrValue ofRule(SrValue key, SrValue value) {
        return ofFunction("Rule", {std::move(key), std::move(value)});
    }
    static SrValue ofAssociation(std::vector<SrValue> rules) {
        return ofFunction("Association", std::move(rules));
    }
    static SrValue ofInteger(long long value) {
        SrValue v;
        v.kind = Kind::Integer;
        v.integer = value;
        return v;
    }
    static SrValue ofReal(double value) {
        SrValue v;
        v.kind = Kind::Real;
        v.real = value;
        return v;
    }
    static SrValue ofString(std::string utf8) {
        SrValue v;
        v.kind = Kind::String;
        v.text = std::move(utf8);
        return v;
    }

    bool isFunction(const std::string& name) const { return kind == Kind::Function && head == name; }
};

SRHOST_API bool operator==(const SrValue& a, const SrValue& b);

// Lets GoogleTest print values in failure messages (as JSON).
SRHOST_API void PrintTo(const SrValue& value, std::ostream* out);
