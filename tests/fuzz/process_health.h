// What must be back to zero once the host has freed every result it was
// given: host arrays and strings, the platform's COM objects and the
// compressed packets its readers hold, the link library's open links, loans
// and error messages, and no misuse of either interface since the baseline.
#pragma once

#include <string>
#include <vector>

namespace morvale_fuzz {

class ProcessHealth {
public:
    // Takes the misuse counters as they are now as the baseline.
    ProcessHealth();

    // One line per counter that is not where it should be; empty when healthy.
    std::vector<std::string> problems() const;

private:
    long invalidFrees_ = 0;
    long invalidHandBacks_ = 0;
    long long invalidLinkHandles_ = 0;
    long long hostLinkCloses_ = 0;
    long long badLinkReleases_ = 0;
};

}  // namespace morvale_fuzz
