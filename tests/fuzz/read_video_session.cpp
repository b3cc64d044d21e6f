// readVideoFile; see read_video_session.h.
#include "tests/fuzz/read_video_session.h"

#include <optional>

#include "host/stand_in/host_stand_in.h"
#include "tests/fuzz/process_health.h"

namespace morvale_fuzz {
namespace {

using morvale_test::ExportCall;
using Result = ExportCall::Result;

struct FrameSize {
    mint width = 0;
    mint height = 0;
};

std::string numbersText(const std::vector<long long>& numbers) {
    std::string text = "{";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) text += ',';
        text += std::to_string(numbers[i]);
    }
    return text + "}";
}

std::optional<long long> integerRule(const SrValue& association, const std::string& key) {
    for (const SrValue& rule : association.args) {
        if (rule.isFunction("Rule") && rule.args.size() == 2 && rule.args[0].text == key &&
            rule.args[1].kind == SrValue::Kind::Integer) {
            return rule.args[1].integer;
        }
    }
    return std::nullopt;
}

class ReadSession {
public:
    ReadSession(const std::string& path, const RegisteredCodes& codes, const ReadingExports& exports,
                SessionReport& report)
        : path_(path), codes_(codes), exports_(exports), report_(report) {}

    std::optional<FrameSize> properties() {
        const auto reply = morvale_test::callPropertiesExport(exports_.properties, {SrValue::ofString(path_)});
        record(name("ReadVideoProperties"), reply.code);
        if (reply.partial) problem(name("ReadVideoProperties") + " left an unfinished expression on the link");
        if (reply.code != 0) {
            if (reply.expression) problem(name("ReadVideoProperties") + " failed but wrote a result");
            return std::nullopt;
        }
        if (!reply.expression || !reply.expression->isFunction("Association")) {
            problem(name("ReadVideoProperties") + " succeeded without writing an association");
            return std::nullopt;
        }
        const auto width = integerRule(*reply.expression, "FrameWidth");
        const auto height = integerRule(*reply.expression, "FrameHeight");
        if (!width || !height || *width <= 0 || *height <= 0) {
            problem(name("ReadVideoProperties") + " sent no positive frame size");
            return std::nullopt;
        }
        return FrameSize{*width, *height};
    }

    std::optional<uint32_t> frameCount() {
        ExportCall call;
        call.string(path_);
        if (run(name("ReadVideoFrameCount"), exports_.frameCount, call, Result::Integer, 0) != 0) return std::nullopt;
        if (call.integer() < 0 || call.integer() > UINT32_MAX) {
            problem(name("ReadVideoFrameCount") + " returned " + std::to_string(call.integer()));
            return std::nullopt;
        }
        return static_cast<uint32_t>(call.integer());
    }

    void frameDurations(std::optional<uint32_t> count) {
        ExportCall call;
        call.string(path_);
        if (run(name("ReadVideoFrameDurations"), exports_.frameDurations, call, Result::RealTensor, 0) != 0) return;
        const auto dims = korvel::tensorDimensions(call.tensor());
        if (dims.size() != 1 || (count && dims[0] != static_cast<mint>(*count))) {
            problem(name("ReadVideoFrameDurations") + " returned a tensor that is not one duration per frame");
        }
    }

    void frames(const std::vector<long long>& numbers, mint expectedSlices, FrameSize size) {
        ExportCall call;
        call.string(path_).numbers(numbers);
        const std::string label = name("ReadVideoData") + " " + numbersText(numbers);
        if (run(label, exports_.videoData, call, Result::Image, 1) != 0) return;
        expectImage(label, call.image(), 3, expectedSlices, size);
    }

    // Init, a bounded number of next-frame reads, finalize.
    void frameByFrame(int maxReads, FrameSize size) {
        bool open = false;
        {
            ExportCall call;
            call.string(path_);
            open = run(name("InitVideoReader"), exports_.initReader, call, Result::Boolean, 0) == 0;
            if (open && !call.boolean()) problem(name("InitVideoReader") + " succeeded with a False result");
        }
        for (int i = 0; open && i < maxReads; ++i) {
            ExportCall call;
            open = run(name("ReadNextVideoFrame"), exports_.nextFrame, call, Result::Image, 0) == 0;
            if (open) expectImage(name("ReadNextVideoFrame"), call.image(), 2, 1, size);
        }
        finalize(open);
    }

    // Finalize reports whether a reader was still open: one is after a
    // successful init and reads, none after any failure closed it.
    void finalize(bool expectOpen) {
        ExportCall call;
        if (run(name("FinalizeVideoReader"), exports_.finalizeReader, call, Result::Boolean, 0) != 0) return;
        if (call.boolean() != expectOpen) {
            problem(expectOpen ? name("FinalizeVideoReader") + " found no reader to close"
                               : "a failed frame-by-frame call left the reader open");
        }
    }

    // Drops the file's cache entry; asking again must find nothing.
    void dropCacheEntry() {
        {
            ExportCall call;
            call.string(path_);
            run("DeleteVideoCache", DeleteVideoCache, call, Result::Boolean, 0);
        }
        ExportCall again;
        again.string(path_);
        if (run("DeleteVideoCache", DeleteVideoCache, again, Result::Boolean, 0) == 0 && again.boolean()) {
            problem("DeleteVideoCache left an entry for the file");
        }
    }

private:
    void problem(const std::string& text) { report_.problems.push_back(text); }

    void record(const std::string& label, int code) {
        report_.calls.push_back({label, code});
        if (code != 0 && !codes_.contains(code)) {
            problem(label + " returned the unregistered code " + std::to_string(code));
        }
    }

    // Runs one argument-slot call and checks what the host holds right after
    // it, before the call's own arguments and result are freed.
    int run(const std::string& label, morvale_test::SlotFunction fn, ExportCall& call, Result kind,
            long argumentArrays) {
        const int code = call.run(fn, kind);
        record(label, code);
        const korvel::HostCounters host = korvel::hostCounters();
        if (host.liveStrings != 0) problem(label + " did not hand back its string argument");
        const bool arrayResult = kind == Result::Image || kind == Result::RealTensor;
        const bool resultGiven = call.image() != nullptr || call.tensor() != nullptr;
        if (code != 0 && resultGiven) problem(label + " failed but handed over a result");
        if (code == 0 && arrayResult && !resultGiven) problem(label + " succeeded without a result");
        const long expectedArrays = argumentArrays + (resultGiven ? 1 : 0);
        if (host.liveArrays() != expectedArrays) {
            problem(label + " left " + std::to_string(host.liveArrays() - expectedArrays) + " host array(s) behind");
        }
        return code;
    }

    void expectImage(const std::string& label, MImage image, mint rank, mint slices, FrameSize size) {
        const bool shaped = korvel::imageRank(image) == rank && korvel::imageSlices(image) == (rank == 3 ? slices : 0) &&
                            korvel::imageColumns(image) == size.width && korvel::imageRows(image) == size.height &&
                            korvel::imageChannels(image) == 3;
        if (!shaped) problem(label + " returned an image of another shape than the file's properties");
    }

    // The export's full name: the kind's prefix and the rest.
    std::string name(const char* rest) const { return std::string(exports_.prefix) + rest; }

    const std::string& path_;
    const RegisteredCodes& codes_;
    const ReadingExports& exports_;
    SessionReport& report_;
};

}  // namespace

const ReadingExports& mediaFoundationExports() {
    static const ReadingExports exports{"MF",
                                        MFReadVideoProperties,
                                        MFReadVideoFrameCount,
                                        MFReadVideoFrameDurations,
                                        MFReadVideoData,
                                        MFInitVideoReader,
                                        MFReadNextVideoFrame,
                                        MFFinalizeVideoReader};
    return exports;
}

const ReadingExports& directShowExports() {
    static const ReadingExports exports{"DS",
                                        DSReadVideoProperties,
                                        DSReadVideoFrameCount,
                                        DSReadVideoFrameDurations,
                                        DSReadVideoData,
                                        DSInitVideoReader,
                                        DSReadNextVideoFrame,
                                        DSFinalizeVideoReader};
    return exports;
}

SessionReport readVideoFile(const std::string& path, const RegisteredCodes& codes, const ReadLimits& limits,
                            const ReadingExports& exports) {
    const ProcessHealth health;
    SessionReport report;
    ReadSession session(path, codes, exports, report);
    if (const auto size = session.properties()) {
        const auto count = session.frameCount();
        session.frameDurations(count);
        const uint64_t pixels = static_cast<uint64_t>(size->width) * static_cast<uint64_t>(size->height);
        if (pixels <= limits.maxFramePixels) {
            session.frames({1}, 1, *size);
            if (count && *count > 1 && *count <= limits.maxFramesToLast) {
                session.frames({static_cast<long long>(*count)}, 1, *size);
            }
            if (count && *count > 0 && *count <= limits.maxFramesForAll) session.frames({}, *count, *size);
            session.frameByFrame(limits.maxNextFrames, *size);
        }
    }
    session.dropCacheEntry();
    for (std::string& problem : health.problems()) report.problems.push_back("after the file: " + problem);
    return report;
}

}  // namespace morvale_fuzz
