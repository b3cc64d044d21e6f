// Shared pieces of the link tests: a fixture that starts every case with a
// clean link stand-in and a fresh host link, and short builders for the
// expressions the host expects to read back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/sr64i4/sr_host.h"

namespace link_test {

inline SrValue str(std::string text) { return SrValue::ofString(std::move(text)); }
inline SrValue integer(long long value) { return SrValue::ofInteger(value); }
inline SrValue real(double value) { return SrValue::ofReal(value); }
inline SrValue rule(SrValue key, SrValue value) { return SrValue::ofRule(std::move(key), std::move(value)); }
inline SrValue association(std::vector<SrValue> rules) { return SrValue::ofAssociation(std::move(rules)); }

// The link text checkLinkStatus puts in front of a caller's note.
inline std::string linkText(int code, const std::string& message) {
    return "Error code reported by Serrin: " + std::to_string(code) + "\n\"" + message + "\"\nDebug info: ";
}

class HostLinkTest : public ::testing::Test {
protected:
    void SetUp() override { srhost_reset(); }

    // Nothing the library borrowed or opened is left behind.
    void expectNothingLeftOpen() const {
        EXPECT_EQ(srhost_openLoopbackLinks(), 0);
        EXPECT_EQ(srhost_liveLoans(), 0);
        EXPECT_EQ(srhost_liveErrorMessages(), 0);
        EXPECT_EQ(SRError(host.get()), 0) << "the link's error is cleared once reported";
        const SrMisuse misuse = srhost_misuse();
        EXPECT_EQ(misuse.invalidHandles, 0);
        EXPECT_EQ(misuse.hostLinkCloses, 0);
        EXPECT_EQ(misuse.badReleases, 0);
    }

    SrHostLink host;
};

}  // namespace link_test
