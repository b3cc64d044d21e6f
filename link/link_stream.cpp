#include "link/link_stream.h"

#include "bridge/error_manager.h"
#include "link/link_status.h"
#include "link/typed_transfer.h"

namespace TravexUtils {
namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// Closes a loopback link unless released: what a failing step leaves open.
class LoopbackGuard {
public:
    explicit LoopbackGuard(SRLINK link) : link_(link) {}
    LoopbackGuard(const LoopbackGuard&) = delete;
    LoopbackGuard& operator=(const LoopbackGuard&) = delete;
    ~LoopbackGuard() {
        if (link_ != nullptr) SRClose(link_);
    }
    SRLINK& link() { return link_; }
    void close() {
        SRClose(link_);
        link_ = nullptr;
    }

private:
    SRLINK link_;
};

}  // namespace

LinkStream::LinkStream(SRLINK link) : current_(link) { stack_.push_back({"", link}); }

LinkStream::~LinkStream() {
    // Expressions left open by a failure: their loopback links go with the
    // stream. The bottom entry is the host's link.
    for (std::size_t i = stack_.size(); i-- > 1;) {
        SRClose(stack_[i].link);
    }
}

void LinkStream::refreshCurrentSRLINK() {
    if (stack_.empty()) {
        ErrorManager::throwException("SRLoopbackStackSizeError", "Stack is empty in refreshCurrentSRLINK()");
    }
    current_ = stack_.back().link;
}

LinkStream& LinkStream::putFunction(const FunctionHead& function) {
    checkLinkStatus(current_, SRPutFunction(current_, function.head().c_str(), function.argumentCount()),
                    "SRPutFunctionError",
                    "Cannot put function: " + quoted(function.head()) + " with " +
                        std::to_string(function.argumentCount()) + " arguments");
    return *this;
}

int32_t LinkStream::testHead(const std::string& head) {
    int count = 0;
    checkLinkStatus(current_, SRTestHead(current_, head.c_str(), &count), "SRTestHeadError",
                    "Expected " + quoted(head));
    return count;
}

LinkStream& LinkStream::testHead(const std::string& head, int32_t expectedCount) {
    const int32_t count = testHead(head);
    if (count != expectedCount) {
        ErrorManager::throwException("SRTestHeadError", "Expected " + std::to_string(expectedCount) +
                                                            " arguments but got " + std::to_string(count));
    }
    return *this;
}

LinkStream& LinkStream::getFunction(FunctionHead& function) {
    if (!function.head().empty()) {
        if (function.argumentCount() >= 0) {
            return testHead(function.head(), function.argumentCount());
        }
        function.setArgumentCount(testHead(function.head()));
        return *this;
    }
    const char* name = nullptr;
    int count = 0;
    checkLinkStatus(current_, SRGetFunction(current_, &name, &count), "SRGetFunctionError", "Cannot get function");
    function.setHead(name != nullptr ? name : "");
    SRReleaseSymbol(current_, name);
    function.setArgumentCount(count);
    return *this;
}

SRLINK LinkStream::openLoopback(SRLINK within) {
    int code = 0;
    SRLINK loopback = SRLoopbackOpen(SRLinkEnvironment(within), &code);
    if (loopback == nullptr || code != 0) {
        if (loopback != nullptr) SRClose(loopback);
        ErrorManager::throwException("SRCreateLoopbackError", "Error code: " + std::to_string(code));
    }
    return loopback;
}

LinkStream& LinkStream::beginExpression(const BeginExpression& begin) {
    SRLINK loopback = openLoopback(current_);
    stack_.push_back({begin.head, loopback});
    refreshCurrentSRLINK();
    return *this;
}

int32_t LinkStream::countLoopbackExpressions(SRLINK& loopback) {
    SRLINK fresh = openLoopback(loopback);
    int32_t count = 0;
    while (SRTransferExpression(fresh, loopback) != 0) {
        ++count;
    }
    SRClose(loopback);
    loopback = fresh;
    return count;
}

LinkStream& LinkStream::endExpression(const EndExpression&) {
    if (stack_.size() < 2) {
        ErrorManager::throwException("SRLoopbackStackSizeError",
                                     "Trying to End expression with loopback stack size " + std::to_string(stack_.size()));
    }
    const Entry top = stack_.back();
    stack_.pop_back();
    refreshCurrentSRLINK();
    LoopbackGuard collected(top.link);

    const int32_t count = countLoopbackExpressions(collected.link());
    putFunction(FunctionHead(top.head, count));
    checkLinkStatus(current_, SRTransferToEndOfLoopbackLink(current_, collected.link()), "SRTransferToLoopbackError",
                    "Could not transfer " + std::to_string(count) + " expressions from Loopback Link");
    collected.close();
    return *this;
}

LinkStream& LinkStream::putString(const std::string& text) {
    const auto& rows = utf8StringRows();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    checkLinkStatus(current_, rows.put(current_, bytes, static_cast<int>(text.size())), "SRPutStringError",
                    rows.putName);
    return *this;
}

std::string LinkStream::getString() {
    const auto& rows = utf8StringRows();
    const unsigned char* bytes = nullptr;
    int byteCount = 0;
    int characterCount = 0;
    checkLinkStatus(current_, rows.get(current_, &bytes, &byteCount, &characterCount), "SRGetStringError",
                    rows.getName);
    // Hand the bytes back whatever happens to the copy.
    struct Release {
        SRLINK link;
        const unsigned char* bytes;
        int count;
        ~Release() {
            if (bytes != nullptr) utf8StringRows().release(link, bytes, count);
        }
    } release{current_, bytes, byteCount};
    if (bytes == nullptr) {
        return {};
    }
    const char* text = reinterpret_cast<const char*>(bytes);
    return byteCount < 0 ? std::string(text) : std::string(text, static_cast<std::size_t>(byteCount));
}

LinkStream& LinkStream::putScalar(int32_t value) {
    const auto& rows = numericRows<int>();
    checkLinkStatus(current_, rows.scalarPut(current_, value), "SRPutScalarError", rows.scalarPutName);
    return *this;
}

LinkStream& LinkStream::putScalar(long long value) {
    const auto& rows = numericRows<long long>();
    checkLinkStatus(current_, rows.scalarPut(current_, value), "SRPutScalarError", rows.scalarPutName);
    return *this;
}

LinkStream& LinkStream::putScalar(double value) {
    const auto& rows = numericRows<double>();
    checkLinkStatus(current_, rows.scalarPut(current_, value), "SRPutScalarError", rows.scalarPutName);
    return *this;
}

LinkStream& LinkStream::newPacket() {
    checkLinkStatus(current_, SRNewPacket(current_), "SRPacketHandleError", "Error in SRNewPacket");
    return *this;
}

LinkStream& LinkStream::endPacket() {
    checkLinkStatus(current_, SREndPacket(current_), "SRPacketHandleError", "Error in SREndPacket");
    return *this;
}

LinkStream& LinkStream::flush() {
    checkLinkStatus(current_, SRFlush(current_), "SRFlowControlError", "Error in SRFlush");
    return *this;
}

}  // namespace TravexUtils
