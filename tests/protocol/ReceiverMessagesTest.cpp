#include "protocol/ReceiverMessages.h"

#include <cstdint>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace protocol {
namespace {

using ::testing::Each;
using ::testing::Lt;

// Checked at compile time so that the encoders stay usable as constants.
static_assert(makeMonitorMessage(0x12345678, heartbeatType) ==
              MonitorMessage{0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x03, 0xF7});

struct UidCase {
    std::uint32_t uid;
    UidField field;
};

class UidEncoding : public ::testing::TestWithParam<UidCase> {};

// The traces show ordinary uids on the wire; these are the edges. The decoder suite reads every
// monitor message of these uids back.
TEST_P(UidEncoding, IsFiveDataBytesMostSignificantFirst) {
    const auto& [uid, field] = GetParam();
    EXPECT_EQ(makeUidField(uid), field);
    EXPECT_THAT(makeUidField(uid), Each(Lt(0x80)));
    EXPECT_EQ(uidFromField(field), uid);
}

INSTANTIATE_TEST_SUITE_P(EdgeValues, UidEncoding,
                         ::testing::Values(UidCase{0xFFFFFFFF, {0x0F, 0x7F, 0x7F, 0x7F, 0x7F}},
                                           UidCase{1, {0x00, 0x00, 0x00, 0x00, 0x01}},
                                           UidCase{0x80000000, {0x08, 0x00, 0x00, 0x00, 0x00}},
                                           UidCase{0x00000080, {0x00, 0x00, 0x00, 0x01, 0x00}}));

} // namespace
} // namespace protocol
