// Every function the library exports, listed once: its name, how the host
// calls it, its argument kinds, its result kind and what a failure returns.
// The library exports exactly these names (a test compares the list with the
// built library's symbol table, and the Windows build with the DLL's export
// table); korvel calls exactly these functions and builds their arguments
// from this list. Adding an export is one row here.
//
// Self-contained apart from the failure policy, so that a tool compiled for
// the build machine can read it when checking a cross-built library.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <string_view>

#include "bridge/error_boundary.h"

namespace MorvaleExports {

using TravexUtils::FailurePolicy;

// How the host calls an export.
enum class ExportForm {
    Lifecycle,      // KorvelLibrary_getVersion, _initialize, _uninitialize: around all other calls
    ArgumentSlots,  // (callback table, argument count, argument slots, result slot) -> code
    Link,           // (callback table, link) -> code: arguments read from the link as one List,
                    // the result written onto it as an expression
};

// One argument as the host passes it.
enum class ArgumentKind {
    String,       // UTF-8 string
    Integer,      // machine integer
    IntegerList,  // rank-1 tensor of 64-bit integers
    RealList,     // rank-1 tensor of reals
    Image,        // host image: one frame (2D) or a block of frames (3D)
    RawArray,     // host raw array of planar signed 16-bit samples
};

// What a successful call hands back.
enum class ResultKind {
    None,  // the lifecycle entry points
    Boolean,
    Integer,
    Real,
    String,
    Image,  // 2D or 3D host image
    RealTensor,
    IntegerTensor,
    RawArray,
    Expression,  // written onto the link
};

inline constexpr std::size_t kMaxArguments = 6;

struct ExportEntry {
    std::string_view name;
    ExportForm form = ExportForm::ArgumentSlots;
    ResultKind result = ResultKind::None;
    FailurePolicy failure = FailurePolicy::RegisteredCode;
    std::array<ArgumentKind, kMaxArguments> argumentList{};
    std::size_t argumentCount = 0;

    constexpr std::span<const ArgumentKind> arguments() const { return {argumentList.data(), argumentCount}; }
};

namespace rows {

constexpr ExportEntry make(std::string_view name, ExportForm form, std::initializer_list<ArgumentKind> arguments,
                           ResultKind result, FailurePolicy failure) {
    ExportEntry entry{name, form, result, failure};
    if (arguments.size() > kMaxArguments) throw "more arguments than kMaxArguments";  // fails the constant
    for (ArgumentKind kind : arguments) entry.argumentList[entry.argumentCount++] = kind;
    return entry;
}

constexpr ExportEntry lifecycle(std::string_view name) {
    return make(name, ExportForm::Lifecycle, {}, ResultKind::None, FailurePolicy::RegisteredCode);
}

constexpr ExportEntry argumentSlots(std::string_view name, std::initializer_list<ArgumentKind> arguments,
                                    ResultKind result, FailurePolicy failure = FailurePolicy::RegisteredCode) {
    return make(name, ExportForm::ArgumentSlots, arguments, result, failure);
}

constexpr ExportEntry link(std::string_view name, std::initializer_list<ArgumentKind> arguments) {
    return make(name, ExportForm::Link, arguments, ResultKind::Expression, FailurePolicy::RegisteredCode);
}

}  // namespace rows

inline constexpr auto kExports = [] {
    using A = ArgumentKind;
    using R = ResultKind;
    using namespace rows;
    return std::array{
        lifecycle("KorvelLibrary_getVersion"),
        lifecycle("KorvelLibrary_initialize"),
        lifecycle("KorvelLibrary_uninitialize"),

        argumentSlots("MFInitVideoReader", {A::String}, R::Boolean),
        argumentSlots("MFReadNextVideoFrame", {}, R::Image),
        argumentSlots("MFFinalizeVideoReader", {}, R::Boolean),
        argumentSlots("MFReadVideoData", {A::String, A::IntegerList}, R::Image),
        argumentSlots("MFReadVideoFrameCount", {A::String}, R::Integer),
        argumentSlots("MFReadVideoFrameDurations", {A::String}, R::RealTensor),
        argumentSlots("DeleteVideoCache", {A::String}, R::Boolean, FailurePolicy::AlwaysFunctionError),

        argumentSlots("MFInitVideoWriter", {A::String, A::Integer, A::Integer, A::Integer, A::Integer, A::String},
                      R::Boolean),
        argumentSlots("MFWriteNextVideoFrame", {A::Image}, R::Boolean),
        argumentSlots("MFFinalizeVideoWriter", {}, R::Boolean),
        argumentSlots("MFWriteVideo", {A::String, A::Image, A::Integer, A::Integer, A::RealList, A::String},
                      R::String),
        argumentSlots("MFSupportedVideoEncodings", {A::String}, R::String),

        link("sendRegisteredErrors", {}),
        link("MFReadVideoProperties", {A::String}),

        argumentSlots("DSInitVideoReader", {A::String}, R::Boolean),
        argumentSlots("DSReadNextVideoFrame", {}, R::Image),
        argumentSlots("DSFinalizeVideoReader", {}, R::Boolean),
        argumentSlots("DSReadVideoData", {A::String, A::IntegerList}, R::Image),
        argumentSlots("DSReadVideoFrameCount", {A::String}, R::Integer),
        argumentSlots("DSReadVideoFrameDurations", {A::String}, R::RealTensor),
        argumentSlots("DSReadVideoFrameRate", {A::String}, R::Real),
        link("DSReadVideoProperties", {A::String}),

        argumentSlots("ReadAudioData", {A::String, A::Integer}, R::RawArray),
        link("ReadAudioProperties", {A::String}),
        argumentSlots("WriteAudio", {A::RawArray, A::Integer, A::Integer, A::String}, R::String),
        argumentSlots("DeleteAudioCache", {A::String}, R::Boolean, FailurePolicy::AlwaysFunctionError),
    };
}();

// The export of that name, or null.
constexpr const ExportEntry* findExport(std::string_view name) {
    for (const ExportEntry& entry : kExports) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

namespace checks {

constexpr bool namesAreUnique() {
    for (std::size_t i = 0; i < kExports.size(); ++i) {
        for (std::size_t j = i + 1; j < kExports.size(); ++j) {
            if (kExports[i].name == kExports[j].name) return false;
        }
    }
    return true;
}

// Link functions and only they write an expression; lifecycle entry points
// take no host arguments and return no host value; only argument-slot
// functions may report every failure as 6.
constexpr bool formsAreConsistent() {
    for (const ExportEntry& entry : kExports) {
        if ((entry.form == ExportForm::Link) != (entry.result == ResultKind::Expression)) return false;
        if ((entry.form == ExportForm::Lifecycle) != (entry.result == ResultKind::None)) return false;
        if (entry.form == ExportForm::Lifecycle && entry.argumentCount != 0) return false;
        if (entry.failure == FailurePolicy::AlwaysFunctionError && entry.form != ExportForm::ArgumentSlots) {
            return false;
        }
    }
    return true;
}

static_assert(namesAreUnique(), "an export is listed twice");
static_assert(formsAreConsistent(), "an export's form does not fit its result or failure policy");

}  // namespace checks

}  // namespace MorvaleExports
