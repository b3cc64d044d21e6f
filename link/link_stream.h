// Writes and reads expressions on the host link. Expressions whose argument
// count is only known when they end (property associations) are collected on
// loopback links between BeginExpression and EndExpression, then written
// behind a head with their true count. One stream per call, one thread.
// The host link is never closed; loopback links the stream opens are closed
// by it, also when a call fails with expressions still open.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/sr64i4.h"

namespace TravexUtils {

class FunctionHead {
public:
    FunctionHead(std::string head, int32_t argumentCount) : head_(std::move(head)), count_(argumentCount) {}
    const std::string& head() const noexcept { return head_; }
    int32_t argumentCount() const noexcept { return count_; }
    void setHead(std::string head) { head_ = std::move(head); }
    void setArgumentCount(int32_t count) noexcept { count_ = count; }

private:
    std::string head_;
    int32_t count_;
};

struct BeginExpression {
    std::string head;
};

struct EndExpression {};

class LinkStream {
public:
    explicit LinkStream(SRLINK link);
    LinkStream(const LinkStream&) = delete;
    LinkStream& operator=(const LinkStream&) = delete;
    ~LinkStream();

    LinkStream& putFunction(const FunctionHead& function);
    // Tests the next head and returns its argument count.
    int32_t testHead(const std::string& head);
    // Tests the next head and its exact argument count.
    LinkStream& testHead(const std::string& head, int32_t expectedCount);
    // A named head with a count >= 0 is tested exactly; with a negative count
    // any count is accepted and stored; an empty head reads whatever head
    // comes next.
    LinkStream& getFunction(FunctionHead& function);
    LinkStream& putRule() { return putFunction(FunctionHead("Rule", 2)); }
    LinkStream& getRule() { return testHead("Rule", 2); }

    LinkStream& beginExpression(const BeginExpression& begin);
    LinkStream& endExpression(const EndExpression& end = {});

    LinkStream& putString(const std::string& text);
    std::string getString();

    LinkStream& putScalar(int32_t value);
    LinkStream& putScalar(long long value);
    LinkStream& putScalar(double value);

    LinkStream& newPacket();
    LinkStream& endPacket();
    LinkStream& flush();

    // Open expressions plus the host link's own entry.
    std::size_t depth() const noexcept { return stack_.size(); }
    SRLINK currentLink() const noexcept { return current_; }

private:
    struct Entry {
        std::string head;
        SRLINK link;
    };

    void refreshCurrentSRLINK();
    SRLINK openLoopback(SRLINK within);
    // Moves the expressions of a loopback link onto a fresh one, counting
    // them; the old link is closed and replaced by the fresh one.
    int32_t countLoopbackExpressions(SRLINK& loopback);

    SRLINK current_;
    std::vector<Entry> stack_;
};

}  // namespace TravexUtils
