#pragma once
// The hosted controller monitor as a GoogleTest fixture.

#include <gtest/gtest.h>

#include "support/HostedMonitor.h"

namespace vantrel::monitor::test {

using namespace vantrel::test;

class MonitorTestBench : public ::testing::Test, public HostedMonitor {};

} // namespace vantrel::monitor::test
