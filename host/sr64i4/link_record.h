// What a link handle points at: its channels, error state, packet record and
// the buffers it has handed out.
#pragma once

#include <string>

#include "host/sr64i4/channel.h"
#include "host/sr64i4/loans.h"
#include "host/sr64i4/sr_host.h"

// The one link environment of the process. Loopback links are opened in it
// and every link reports it; it has no state of its own.
struct SREnvRecord {};

struct SRLinkRecord {
    enum class Kind { Host, Loopback };

    SRLinkRecord(Kind k, SREnvRecord* e) : kind(k), env(e) {}

    // A loopback link reads what it is written; a host link reads what the
    // host put and writes what the host reads.
    sr::Channel& libraryReads() { return toLibrary_; }
    sr::Channel& libraryWrites() { return kind == Kind::Loopback ? toLibrary_ : toHost_; }
    sr::Channel& hostReads() { return libraryWrites(); }
    sr::Channel& hostWrites() { return libraryReads(); }

    void setError(int code, std::string message) {
        errorCode = code;
        errorMessage = std::move(message);
    }

    const Kind kind;
    SREnvRecord* const env;
    int errorCode = 0;
    std::string errorMessage;
    bool packetOpen = false;
    SrPacketRecord packets;
    sr::Loans loans;

private:
    sr::Channel toLibrary_;
    sr::Channel toHost_;
};
