#pragma once
// The hosted audio meter as a GoogleTest fixture.

#include <gtest/gtest.h>

#include "support/HostedMeter.h"

namespace vantrel::meter::test {

using namespace vantrel::test;
using Unit = HostedMeter::Unit;

class MeterTestBench : public ::testing::Test, public HostedMeter {};

} // namespace vantrel::meter::test
