// The exported head functions. A head put with a count opens an expression;
// reading a head (SRTestHead, SRGetFunction) consumes only the head, so the
// function's arguments are what is read next.
#include <string>

#include "host/sr64i4/api_call.h"
#include "host/sr64i4/reading.h"
#include "link/sr64i4.h"

using sr::onLink;

extern "C" {

SR_API int SRPutFunction(SRLINK link, const char* head, int count) {
    return onLink("SRPutFunction", link, [&](SRLinkRecord& l) {
        if (head == nullptr || *head == '\0') sr::fail(SR_ERR_ARGUMENT, "missing head");
        if (count < 0) sr::fail(SR_ERR_ARGUMENT, "negative argument count");
        l.libraryWrites().putHead(head, count, "SRPutFunction");
        return 1;
    });
}

SR_API int SRTestHead(SRLINK link, const char* head, int* count) {
    return onLink("SRTestHead", link, [&](SRLinkRecord& l) {
        if (head == nullptr) sr::fail(SR_ERR_ARGUMENT, "missing head");
        sr::requireOut(count);
        const SrValue& next = sr::nextOfKind(l, SrValue::Kind::Function, "a function");
        if (next.head != head)
            sr::fail(SR_ERR_HEAD, std::string("expected head \"") + head + "\" but found \"" + next.head + "\"");
        *count = static_cast<int>(next.args.size());
        l.libraryReads().openFront();
        return 1;
    });
}

SR_API int SRGetFunction(SRLINK link, const char** head, int* count) {
    return onLink("SRGetFunction", link, [&](SRLinkRecord& l) {
        sr::requireOut(head);
        sr::requireOut(count);
        const SrValue& next = sr::nextOfKind(l, SrValue::Kind::Function, "a function");
        const int n = static_cast<int>(next.args.size());
        const std::string& name =
            l.loans.lend(next.head, -1, [](std::string& s) -> const void* { return s.c_str(); });
        l.libraryReads().openFront();
        *head = name.c_str();
        *count = n;
        return 1;
    });
}

SR_API void SRReleaseSymbol(SRLINK link, const char* head) {
    sr::releaseOnLink("SRReleaseSymbol", link, [&](SRLinkRecord& l) { return l.loans.release(head); });
}

}  // extern "C"
