#include <gtest/gtest.h>

#include <limits>

#include "platform/core/Value.h"

using namespace platform;

namespace {

struct UnsignedCase {
    const char* json;
    std::optional<std::uint32_t> expected;
};

class UnsignedIntValue : public ::testing::TestWithParam<UnsignedCase> {};

TEST_P(UnsignedIntValue, ReadsLikeThePlatform) {
    EXPECT_EQ(unsignedIntValue(Value::parse(GetParam().json)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Numbers, UnsignedIntValue,
                         ::testing::Values(UnsignedCase{"42", 42u}, UnsignedCase{"4294967295", 0xFFFFFFFFu},
                                           UnsignedCase{"4294967296", 0u}, UnsignedCase{"4294967301", 5u},
                                           UnsignedCase{"-1", 0xFFFFFFFFu}, UnsignedCase{"3.9", 3u},
                                           UnsignedCase{"-2.5", 0xFFFFFFFEu}, UnsignedCase{"1e30", 0u},
                                           UnsignedCase{"18446744073709551615", 0xFFFFFFFFu},
                                           UnsignedCase{"true", 1u}, UnsignedCase{"false", 0u},
                                           UnsignedCase{"\"7\"", std::nullopt},
                                           UnsignedCase{"null", std::nullopt},
                                           UnsignedCase{"[1]", std::nullopt}));

TEST(UnsignedIntValueOfNonFinite, ReadsAsZeroWithoutUndefinedBehaviour) {
    EXPECT_EQ(unsignedIntValue(Value(std::numeric_limits<double>::quiet_NaN())), 0u);
    EXPECT_EQ(unsignedIntValue(Value(std::numeric_limits<double>::infinity())), 0u);
    EXPECT_EQ(unsignedIntValue(Value(-std::numeric_limits<double>::infinity())), 0u);
}

struct IntegerCase {
    const char* json;
    std::optional<std::int64_t> expected;
};

class IntegerValue : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerValue, AcceptsOnlyWholeValues) {
    EXPECT_EQ(integerValue(Value::parse(GetParam().json)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Numbers, IntegerValue,
                         ::testing::Values(IntegerCase{"300", 300}, IntegerCase{"-3", -3},
                                           IntegerCase{"7.0", 7}, IntegerCase{"7.5", std::nullopt},
                                           IntegerCase{"true", 1}, IntegerCase{"\"5\"", std::nullopt},
                                           IntegerCase{"1e300", std::nullopt},
                                           IntegerCase{"18446744073709551615", std::nullopt},
                                           IntegerCase{"null", std::nullopt}));

TEST(ListValues, RejectAListWithOneElementOfAnotherType) {
    EXPECT_EQ(stringListValue(Value::parse(R"(["a","b"])")), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(stringListValue(Value::parse(R"(["a",1])")), std::nullopt);
    EXPECT_EQ(integerListValue(Value::parse("[24, 25.0]")), (std::vector<std::int64_t>{24, 25}));
    EXPECT_EQ(integerListValue(Value::parse("[24, 25.5]")), std::nullopt);
    EXPECT_EQ(integerListValue(Value::parse("{}")), std::nullopt);
}

TEST(Member, IsNullForMissingKeysAndNonObjects) {
    const auto object = Value::parse(R"({"uid": 5})");
    ASSERT_NE(member(object, "uid"), nullptr);
    EXPECT_EQ(member(object, "trackName"), nullptr);
    EXPECT_EQ(member(Value::parse("[1]"), "uid"), nullptr);
}

} // namespace
