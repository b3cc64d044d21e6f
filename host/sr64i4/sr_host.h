// The host side of the link stand-in: what a host (korvel) and the tests do
// with links that the library itself never does. Nothing here is used by the
// library; it only calls the SR functions of link/sr64i4.h.
//
// Reading model, shared by every link:
// - A link carries complete expressions in first-in first-out order. A head
//   put with count n opens an expression that becomes complete, and readable,
//   once its n arguments have been put (nested heads complete innermost first).
// - Reading works like a stream: a get of a number or string takes the next
//   whole expression; SRTestHead and SRGetFunction take only the head of the
//   next expression, whose arguments are then the next ones to read;
//   SRTransferExpression moves the next whole expression.
// - A loopback link has one queue: what is put on it is read from it.
// - A host link has two: what the host puts (srhost_put, srhost_putArguments)
//   is read by the library's SR gets, and what the library puts is read by
//   the host (srhost_read). Leftover arguments therefore never mix with the
//   reply.
// - A failing call changes nothing but the link's error code and message,
//   which stay until SRClearError or the next failure replaces them.
//
// Process-wide state (links, counters, injected failures) is guarded by one
// lock, so these helpers may be called from any thread; a single link is used
// by one thread at a time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/sr64i4/sr_value.h"
#include "link/sr64i4.h"

// Error codes the stand-in reports through SRError; its messages start with
// the name of the failed function ("SRTestHead: expected head ..."). An
// injected failure reports exactly the code and message it was given.
enum SrErrorCode : int {
    SR_ERR_NONE = 0,
    SR_ERR_EMPTY = 1,         // nothing to read (or nothing left to transfer)
    SR_ERR_TYPE = 2,          // the next expression is of another kind
    SR_ERR_HEAD = 3,          // SRTestHead: the next expression has another head
    SR_ERR_RANGE = 4,         // a number or character does not fit the requested type
    SR_ERR_ARGUMENT = 5,      // null pointer, negative count or length, malformed text
    SR_ERR_PACKET = 6,        // packet calls out of order, or a packet ended mid-expression
    SR_ERR_NOT_LOOPBACK = 7,  // the operation needs a loopback link
    SR_ERR_HOST_LINK = 8,     // SRClose on a host link, which only the host may close
    SR_ERR_RELEASE = 9,       // release of something this link did not hand out
    SR_ERR_INVALID_LINK = 10  // a handle that is not an open link (error queries only)
};

// Packet framing seen on one link, for tests: counters and the order of the
// calls, each with the number of complete expressions written before it.
struct SrPacketEvent {
    std::string call;             // "SRNewPacket", "SREndPacket" or "SRFlush"
    long long expressionsBefore;  // complete expressions the library had written by then
};
struct SrPacketRecord {
    int newPackets = 0;
    int endPackets = 0;
    int flushes = 0;
    std::vector<SrPacketEvent> events;
};

// Misuse of the library interface that cannot be reported through a status.
struct SrMisuse {
    long long invalidHandles = 0;   // calls with a link that is not open (closed, never opened)
    long long hostLinkCloses = 0;   // SRClose called on a host link
    long long badReleases = 0;      // releases of pointers (or lengths) that were not handed out
};

// Host links. The caller owns the link and deletes it; the library must never
// close it.
SRHOST_API SRLINK srhost_newLink();
SRHOST_API void srhost_deleteLink(SRLINK link);

// Puts one complete expression for the library to read (on a loopback link:
// onto its queue). False when the link is not open or a string is not valid
// UTF-8.
SRHOST_API bool srhost_put(SRLINK link, const SrValue& expression);
// Puts the argument list of a call: List[arguments...].
SRHOST_API bool srhost_putArguments(SRLINK link, const std::vector<SrValue>& arguments);
// Takes the next complete expression the library wrote; nullopt when none.
SRHOST_API std::optional<SrValue> srhost_read(SRLINK link);
// The expression the library has begun but not completed on the link, with
// the arguments written so far (inner unfinished heads included the same way);
// nullopt when every expression written is complete.
SRHOST_API std::optional<SrValue> srhost_partial(SRLINK link);
// Complete expressions the library wrote that the host has not read yet.
SRHOST_API int srhost_resultCount(SRLINK link);
// Expressions the host put that the library has not read yet.
SRHOST_API int srhost_unreadCount(SRLINK link);
// Packet calls made on the link.
SRHOST_API SrPacketRecord srhost_packetRecord(SRLINK link);

// JSON form of an expression: Association of Rules -> object (keys as
// strings), List -> array, strings, integers and reals as themselves, any
// other head -> {"head": name, "args": [...]}.
SRHOST_API std::string srhost_toJson(const SrValue& expression);

// Failure injection: the k-th call (k >= 1, counted from now) of the named SR
// function fails with the given code and message: it does nothing else,
// sets the link's error (for a transfer: the destination's) and returns 0,
// or NULL with *code set for SRLoopbackOpen and NULL for SRLinkEnvironment.
// Release, close and error-query functions cannot be made to fail.
SRHOST_API void srhost_failCall(const char* function, int k, int code, const char* message);
// Forgets injected failures, call counts, the call log, misuse counters and
// options. Open links and live messages stay.
SRHOST_API void srhost_reset();

// Observations.
SRHOST_API long long srhost_callCount(const char* function);  // calls of an SR function
SRHOST_API std::vector<std::string> srhost_callLog();  // SR function names in call order (last 100000)
SRHOST_API int srhost_openLinks();                      // host and loopback links open
SRHOST_API int srhost_openLoopbackLinks();              // loopback links open
SRHOST_API int srhost_liveErrorMessages();              // SRErrorMessage strings not released
SRHOST_API int srhost_liveLoans();  // strings, symbols, lists, arrays got and not released
SRHOST_API SrMisuse srhost_misuse();

// Option: when set, SRGetUTF8String reports its byte and character counts as
// -1 (not given), so callers must read up to the terminating zero.
SRHOST_API void srhost_setUnknownStringLengths(bool on);

// Owning handle of a host link.
class SrHostLink {
public:
    SrHostLink() : link_(srhost_newLink()) {}
    ~SrHostLink() { srhost_deleteLink(link_); }
    SrHostLink(const SrHostLink&) = delete;
    SrHostLink& operator=(const SrHostLink&) = delete;
    SRLINK get() const { return link_; }

private:
    SRLINK link_;
};
