#pragma once
// The hosted controller monitor as a GoogleTest fixture.

#include <gtest/gtest.h>

#include "support/HostedMonitor.h"

namespace vantrel::monitor::test {

using namespace vantrel::test;

class MonitorTestBench : public ::testing::Test, public HostedMonitor {
protected:
    // The view suites' words for the receiver coming up and for what went out.
    void addDestination() { receiver.up(); }
    std::size_t sendCount() const { return sent.size(); }
};

} // namespace vantrel::monitor::test
