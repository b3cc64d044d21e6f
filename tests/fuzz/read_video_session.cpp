// readVideoFile; see read_video_session.h.
#include "tests/fuzz/read_video_session.h"

#include <optional>

#include "host/stand_in/host_stand_in.h"
#include "tests/fuzz/process_health.h"
#include "tests/fuzz/session_checks.h"
#include "tests/support/export_calls.h"

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

class ReadSession : private CheckedCalls {
public:
    ReadSession(const std::string& path, const RegisteredCodes& codes, const ReadingExports& exports,
                SessionReport& report)
        : CheckedCalls(codes, report), path_(path), exports_(exports) {}

    std::optional<FrameSize> properties() {
        const auto reply = runOverLink(name("ReadVideoProperties"), exports_.properties, path_);
        if (!reply) return std::nullopt;
        const auto width = integerRule(*reply, "FrameWidth");
        const auto height = integerRule(*reply, "FrameHeight");
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

    void dropCacheEntry() { CheckedCalls::dropCacheEntry("DeleteVideoCache", DeleteVideoCache, path_); }

private:
    void expectImage(const std::string& label, MImage image, mint rank, mint slices, FrameSize size) {
        const bool shaped = korvel::imageRank(image) == rank && korvel::imageSlices(image) == (rank == 3 ? slices : 0) &&
                            korvel::imageColumns(image) == size.width && korvel::imageRows(image) == size.height &&
                            korvel::imageChannels(image) == 3;
        if (!shaped) problem(label + " returned an image of another shape than the file's properties");
    }

    // The export's full name: the kind's prefix and the rest.
    std::string name(const char* rest) const { return std::string(exports_.prefix) + rest; }

    const std::string& path_;
    const ReadingExports& exports_;
};

void runSequence(ReadSession& session, VideoSequence sequence, const ReadLimits& limits) {
    if (sequence == VideoSequence::FrameFacts) {
        session.frameDurations(session.frameCount());
        return;
    }
    const auto size = session.properties();
    if (!size || sequence == VideoSequence::Properties) return;
    if (static_cast<uint64_t>(size->width) * static_cast<uint64_t>(size->height) > limits.maxFramePixels) return;
    if (sequence == VideoSequence::FirstFrame) {
        session.frames({1}, 1, *size);
    } else if (sequence == VideoSequence::FrameByFrame) {
        session.frameByFrame(limits.maxNextFrames, *size);
    } else if (const auto count = session.frameCount(); count && *count > 0) {
        if (sequence == VideoSequence::LastFrame && *count > 1 && *count <= limits.maxFramesToLast) {
            session.frames({static_cast<long long>(*count)}, 1, *size);
        }
        if (sequence == VideoSequence::AllFrames && *count <= limits.maxFramesForAll) session.frames({}, *count, *size);
    }
}

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

SessionReport readVideoFile(const std::string& path, const RegisteredCodes& codes, VideoSequence sequence,
                            const ReadLimits& limits, const ReadingExports& exports) {
    const ProcessHealth health;
    SessionReport report;
    ReadSession session(path, codes, exports, report);
    runSequence(session, sequence, limits);
    session.dropCacheEntry();
    for (std::string& problem : health.problems()) report.problems.push_back("after the file: " + problem);
    return report;
}

}  // namespace morvale_fuzz
