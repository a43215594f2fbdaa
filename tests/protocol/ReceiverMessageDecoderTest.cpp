#include "protocol/ReceiverMessageDecoder.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace protocol {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = ReceiverMessage::Kind;
using ::testing::IsEmpty;

// Well-formed messages decode in every trace (bytes and reading side by side) and in every
// simulation run; these are the ones the decoder must refuse.
struct MalformedCase {
    const char* name;
    Bytes bytes;
};

class Malformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(Malformed, IsUnknownWithNoFieldsButKeepsTheBytes) {
    const ReceiverMessage message = decodeReceiverMessage(GetParam().bytes);
    EXPECT_EQ(message.kind, Kind::unknown);
    EXPECT_EQ(message.uid, 0u);
    EXPECT_THAT(message.event, IsEmpty());
    EXPECT_EQ(message.bytes, GetParam().bytes);
    EXPECT_EQ(describe(message), "unknown (" + std::to_string(GetParam().bytes.size()) + " bytes)");
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Malformed,
    ::testing::Values(
        MalformedCase{"Empty", {}}, MalformedCase{"SysExStartOnly", {0xF0}},
        MalformedCase{"RawChannelMessage", {0xB0, 0x07, 0x64}},
        MalformedCase{"InstanceTagAlone", {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0xF7}},
        MalformedCase{"FourEventBytes",
                      {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0xF7, 0xB0, 0x07, 0x64, 0x00}},
        MalformedCase{"TypeNotSent", {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x04, 0xF7}},
        MalformedCase{"MissingEnd", {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x03, 0x00}},
        MalformedCase{"TrailingByte", {0xF0, 0x7D, 0x01, 0x11, 0x51, 0x2C, 0x78, 0x03, 0xF7, 0xF7}},
        MalformedCase{"UidTopNibbleTooLarge", {0xF0, 0x7D, 0x10, 0x00, 0x00, 0x00, 0x00, 0x03, 0xF7}},
        MalformedCase{"UidByteNotData", {0xF0, 0x7D, 0x00, 0x00, 0x80, 0x00, 0x00, 0x03, 0xF7}},
        MalformedCase{"OtherFamily", {0xF0, 0x7C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x03, 0xF7}},
        MalformedCase{"PeakTooLong", {0xF0, 0x7E, 0x01, 0x00, 0x7F, 0x00, 0x00, 0xF7}},
        MalformedCase{"PeakFieldNotData", {0xF0, 0x7E, 0x01, 0x00, 0x80, 0x00, 0xF7}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace protocol
