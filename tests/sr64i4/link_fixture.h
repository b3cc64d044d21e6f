// Helpers for the link stand-in tests: owned loopback links and reading a
// link's error the way the library does (copy, release, clear).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/sr64i4/sr_host.h"

// A loopback link in the process environment, closed when the test ends.
class Loopback {
public:
    Loopback() {
        SrHostLink anchor;
        int code = -1;
        link_ = SRLoopbackOpen(SRLinkEnvironment(anchor.get()), &code);
        EXPECT_EQ(code, 0);
        EXPECT_NE(link_, nullptr);
    }
    ~Loopback() { SRClose(link_); }
    Loopback(const Loopback&) = delete;
    Loopback& operator=(const Loopback&) = delete;
    SRLINK get() const { return link_; }

private:
    SRLINK link_ = nullptr;
};

struct LinkError {
    int code;
    std::string message;
};

// Reads and clears the link's error, releasing the message.
inline LinkError takeError(SRLINK link) {
    LinkError error{SRError(link), {}};
    const char* message = SRErrorMessage(link);
    error.message = message;
    SRReleaseErrorMessage(link, message);
    SRClearError(link);
    return error;
}
