// ProcessHealth; see process_health.h.
#include "tests/fuzz/process_health.h"

#include "host/sr64i4/sr_host.h"
#include "host/stand_in/host_stand_in.h"
#include "platform/linux/test_control.h"

namespace morvale_fuzz {
namespace {

void expectCount(std::vector<std::string>& problems, const char* what, long long count) {
    if (count != 0) problems.push_back(std::string(what) + ": " + std::to_string(count));
}

}  // namespace

ProcessHealth::ProcessHealth() {
    const korvel::HostCounters host = korvel::hostCounters();
    invalidFrees_ = host.invalidFrees;
    invalidHandBacks_ = host.invalidHandBacks;
    const SrMisuse misuse = srhost_misuse();
    invalidLinkHandles_ = misuse.invalidHandles;
    hostLinkCloses_ = misuse.hostLinkCloses;
    badLinkReleases_ = misuse.badReleases;
}

std::vector<std::string> ProcessHealth::problems() const {
    std::vector<std::string> problems;
    const korvel::HostCounters host = korvel::hostCounters();
    expectCount(problems, "live host tensors", host.liveTensors);
    expectCount(problems, "live host images", host.liveImages);
    expectCount(problems, "live host raw arrays", host.liveRawArrays);
    expectCount(problems, "host strings not handed back", host.liveStrings);
    expectCount(problems, "frees of unknown host arrays", host.invalidFrees - invalidFrees_);
    expectCount(problems, "hand-backs of unknown host strings", host.invalidHandBacks - invalidHandBacks_);
    expectCount(problems, "live platform objects", MorvalePlatformTest_liveObjects());
    expectCount(problems, "retained compressed packets", MorvalePlatformTest_retainedPackets());
    expectCount(problems, "streaming threads still running", MorvalePlatformTest_liveStreamingThreads());
    expectCount(problems, "open links", srhost_openLinks());
    expectCount(problems, "link loans not released", srhost_liveLoans());
    expectCount(problems, "link error messages not released", srhost_liveErrorMessages());
    const SrMisuse misuse = srhost_misuse();
    expectCount(problems, "calls on links that are not open", misuse.invalidHandles - invalidLinkHandles_);
    expectCount(problems, "closes of host links", misuse.hostLinkCloses - hostLinkCloses_);
    expectCount(problems, "releases of what a link did not lend", misuse.badReleases - badLinkReleases_);
    return problems;
}

}  // namespace morvale_fuzz
