#include "core/number_decoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace nimbrel {
namespace {

TEST(NumberDecoding, HalfIsRebiasedWithoutSpecialExponents) {
    struct Row {
        std::uint16_t bits;
        double value;
    };
    const Row rows[] = {
        {0x3C00, 1.0},
        {0xC000, -2.0},
        {0x3555, 0.333251953125},
        {0x0000, 1.0 / 32768},
        {0x8000, -1.0 / 32768},
        {0x7C00, 65536.0},
        {0x7FFF, 131008.0},
        {0x003C, (1.0 + 60.0 / 1024) / 32768},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bits);
        EXPECT_EQ(static_cast<double>(halfToFloat(row.bits)), row.value);
    }
    // Never zero, infinite or NaN, and always (-1)^s (1 + m/1024) 2^(e-15).
    for (std::uint32_t h = 0; h <= 0xFFFF; ++h) {
        double v = halfToFloat(static_cast<std::uint16_t>(h));
        double expected = std::ldexp(1.0 + (h & 0x3FF) / 1024.0, static_cast<int>((h >> 10) & 0x1F) - 15);
        if (h & 0x8000) expected = -expected;
        ASSERT_EQ(v, expected) << h;
    }
}

TEST(NumberDecoding, ReadHalfFollowsTheByteOrder) {
    ModelBuffer model(16);
    const std::uint8_t bytes[] = {0x00, 0x3C};
    model.assign(bytes, sizeof bytes);
    EXPECT_EQ(readHalf(model, 0, false), 1.0f);
    EXPECT_EQ(static_cast<double>(readHalf(model, 0, true)), (1.0 + 60.0 / 1024) / 32768);
    // Past the end the bytes read as zero: pattern 0x0000.
    EXPECT_EQ(static_cast<double>(readHalf(model, 2, false)), 1.0 / 32768);
}

TEST(NumberDecoding, FormatValueShowsZeroOverflowAndFixedText) {
    struct Row {
        float value;
        const char* text;
    };
    const Row rows[] = {
        {0.0f, "0.0"},
        {-0.0f, "0.0"},
        {1e-10f, "0.000000"},
        {-1e-10f, "-0.000000"},
        {1e-17f, "0.0"},
        {1.5f, "1.500000"},
        {-0.25f, "-0.250000"},
        {0.001234f, "0.001234"},
        {1234567.0f, "1234567.000000"},
        {9999999.0f, "9999999.000000"},
        {12345678.0f, "99999999.0"},
        {-12345678.0f, "-99999999.0"},
        {10000000.0f, "99999999.0"},
        {std::numeric_limits<float>::infinity(), "99999999.0"},
        {-std::numeric_limits<float>::infinity(), "-99999999.0"},
        {std::numeric_limits<float>::quiet_NaN(), "nan"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(formatValue(row.value), row.text);
    }
}

}  // namespace
}  // namespace nimbrel
