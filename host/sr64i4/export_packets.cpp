// The exported packet functions. Nothing is sent anywhere; each call is
// checked for order and recorded with the number of complete expressions
// written before it, so tests can see how a reply was framed.
#include "host/sr64i4/api_call.h"
#include "link/sr64i4.h"

namespace {

void record(SRLinkRecord& link, const char* call) {
    link.packets.events.push_back(SrPacketEvent{call, link.libraryWrites().completedCount()});
}

}  // namespace

using sr::onLink;

extern "C" {

SR_API int SRNewPacket(SRLINK link) {
    return onLink("SRNewPacket", link, [](SRLinkRecord& l) {
        if (l.packetOpen) sr::fail(SR_ERR_PACKET, "a packet is already open");
        l.packetOpen = true;
        ++l.packets.newPackets;
        record(l, "SRNewPacket");
        return 1;
    });
}

SR_API int SREndPacket(SRLINK link) {
    return onLink("SREndPacket", link, [](SRLinkRecord& l) {
        if (!l.packetOpen) sr::fail(SR_ERR_PACKET, "no packet is open");
        if (l.libraryWrites().openDepth() > 0) sr::fail(SR_ERR_PACKET, "an expression is still incomplete");
        l.packetOpen = false;
        ++l.packets.endPackets;
        record(l, "SREndPacket");
        return 1;
    });
}

SR_API int SRFlush(SRLINK link) {
    return onLink("SRFlush", link, [](SRLinkRecord& l) {
        ++l.packets.flushes;
        record(l, "SRFlush");
        return 1;
    });
}

}  // extern "C"
