#include <gtest/gtest.h>

#include <limits>

#include "platform/core/Value.h"

using namespace platform;

namespace {

// One value read both ways: as unsigned 32-bit (the platform's wrapping conversion) and as a
// whole 64-bit integer.
struct NumberCase {
    const char* json;
    std::optional<std::uint32_t> asUnsigned;
    std::optional<std::int64_t> asInteger;
};

class NumberReading : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberReading, FollowsThePlatformsNumberSemantics) {
    const Value value = Value::parse(GetParam().json);
    EXPECT_EQ(unsignedIntValue(value), GetParam().asUnsigned);
    EXPECT_EQ(integerValue(value), GetParam().asInteger);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NumberReading,
    ::testing::Values(
        NumberCase{"42", 42u, 42}, NumberCase{"7.0", 7u, 7}, NumberCase{"3.9", 3u, std::nullopt},
        NumberCase{"-1", 0xFFFFFFFFu, -1}, NumberCase{"-2.5", 0xFFFFFFFEu, std::nullopt},
        NumberCase{"4294967295", 0xFFFFFFFFu, 4294967295}, NumberCase{"4294967301", 5u, 4294967301},
        NumberCase{"18446744073709551615", 0xFFFFFFFFu, std::nullopt}, NumberCase{"1e30", 0u, std::nullopt},
        NumberCase{"1e300", 0u, std::nullopt}, NumberCase{"true", 1u, 1}, NumberCase{"false", 0u, 0},
        NumberCase{"\"7\"", std::nullopt, std::nullopt}, NumberCase{"null", std::nullopt, std::nullopt},
        NumberCase{"[1]", std::nullopt, std::nullopt}));

TEST(NumberReading, NonFiniteValuesReadAsZeroWithoutUndefinedBehaviour) {
    for (const double value :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(unsignedIntValue(Value(value)), 0u) << value;
        EXPECT_EQ(integerValue(Value(value)), std::nullopt) << value;
    }
}

TEST(ListValues, RejectAListWithOneElementOfAnotherType) {
    EXPECT_EQ(stringListValue(Value::parse(R"(["a","b"])")), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(stringListValue(Value::parse(R"(["a",1])")), std::nullopt);
    EXPECT_EQ(integerListValue(Value::parse("[24, 25.0]")), (std::vector<std::int64_t>{24, 25}));
    EXPECT_EQ(integerListValue(Value::parse("[24, 25.5]")), std::nullopt);
    EXPECT_EQ(integerListValue(Value::parse("{}")), std::nullopt);
}

} // namespace
