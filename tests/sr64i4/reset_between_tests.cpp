// Under CTest every case runs in its own process; when the binary runs all
// cases in one, this clears injected failures, counters and options before
// each case so that the cases stay independent.
#include <gtest/gtest.h>

#include "host/sr64i4/sr_host.h"

namespace {

class ResetStandIn : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { srhost_reset(); }
};

const bool kRegistered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new ResetStandIn);  // gtest owns listeners
    return true;
}();

}  // namespace
