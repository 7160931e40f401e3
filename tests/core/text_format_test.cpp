#include "core/text_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace nimbrel {
namespace {

std::string printfText(const char* fmt, double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

float floatFromBits(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::string fixed6(double v) {
    char buf[kMaxNumberText];
    return std::string(buf, writeFixed6(buf, v));
}

TEST(TextFormat, FixedMatchesPrintfOnEveryKindOfFloat) {
    // Exponent fields cover denormals, the integer-route limit and huge values.
    std::mt19937 rng(12345);
    std::uniform_int_distribution<std::uint32_t> any;
    for (int i = 0; i < 400000; ++i) {
        float f = floatFromBits(any(rng));
        if (std::isnan(f)) continue;
        ASSERT_EQ(fixed6(f), printfText("%f", f)) << "bits " << std::hex << std::bit_cast<std::uint32_t>(f);
    }
    // Every float with an exponent near the rounding boundaries, mantissa steps spread out.
    for (std::uint32_t exponent = 100; exponent < 170; ++exponent)
        for (std::uint32_t mantissa = 0; mantissa < (1u << 23); mantissa += 4099) {
            for (std::uint32_t sign : {0u, 1u}) {
                float f = floatFromBits(sign << 31 | exponent << 23 | mantissa);
                ASSERT_EQ(fixed6(f), printfText("%f", f)) << f;
            }
        }
}

std::string floatFixed6(float v) {
    char buf[kMaxNumberText];
    return std::string(buf, writeFloatFixed6(buf, v));
}

TEST(TextFormat, FloatFixedMatchesPrintfOnTiesCarriesAndEveryExponent) {
    std::vector<float> values;
    auto withNeighbours = [&](float f) {
        values.insert(values.end(), {f, std::nextafter(f, 0.0f), std::nextafter(f, 1e30f)});
    };
    // Odd multiples of 2^-7 have a 5 as their exact seventh and last decimal.
    for (int k = 1; k < (1 << 17); k += 2) withNeighbours(static_cast<float>(k) / 128.0f);
    for (float whole : {1024.0f, 65536.0f, 1048576.0f})
        for (int k = 1; k < 128; k += 2) withNeighbours(whole + static_cast<float>(k) / 128.0f);
    // Rounding up that carries into the integer part.
    for (float whole : {0.0f, 1.0f, 9.0f, 99.0f, 999.0f, 9999.0f}) withNeighbours(whole + 0.9999995f);
    // Every exponent field with its smallest, a middle and its largest mantissa.
    for (std::uint32_t exponent = 0; exponent < 256; ++exponent)
        for (std::uint32_t mantissa : {0u, 1u, 0x400000u, 0x7FFFFFu}) withNeighbours(floatFromBits(exponent << 23 | mantissa));
    values.insert(values.end(), {std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::infinity(), std::nanf(""), 4294967296.0f,
                                 std::nextafter(4294967296.0f, 0.0f), 5e-7f, 4.9999997e-7f, 2.3841858e-7f});
    std::mt19937 rng(2024);
    std::uniform_int_distribution<std::uint32_t> any;
    for (int i = 0; i < 100000; ++i) values.push_back(floatFromBits(any(rng)));
    for (float v : values)
        for (float f : {v, -v})
            ASSERT_EQ(floatFixed6(f), printfText("%f", f)) << "bits " << std::hex << std::bit_cast<std::uint32_t>(f);
}

TEST(TextFormat, FixedHandlesSpecialValuesAsGlibcDoes) {
    const double cases[] = {0.0,
                            -0.0,
                            -1e-9,
                            0.0000005,
                            0.0000015,
                            0.0000025,
                            1e-45,
                            9007199254.0,
                            9007199255.0,
                            1e20,
                            -3.4e38,
                            0.1,
                            2.675,
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::denorm_min()};
    for (double v : cases) {
        SCOPED_TRACE(v);
        EXPECT_EQ(fixed6(v), printfText("%f", v));
    }
    EXPECT_EQ(fixed6(std::nan("")), "nan");
    EXPECT_EQ(fixed6(-std::nan("")), "-nan");
    EXPECT_EQ(fixed6(-1e-9), "-0.000000");
}

TEST(TextFormat, FormatMatchesPrintfForTheConversionsInUse) {
    struct Row {
        std::string got, want;
    };
    char buf[256];
    auto c = [&](auto... args) {
        std::snprintf(buf, sizeof buf, args...);
        return std::string(buf);
    };
    const Row rows[] = {
        {format("f %ld %ld %ld\n", 1u, 2u, 3u), "f 1 2 3\n"},
        {format("%5d|%-5d|%05d", 42, 42, -42), c("%5d|%-5d|%05d", 42, 42, -42)},
        {format("%d", std::uint32_t{0xFFFFFFFF}), "-1"},
        {format("%ld", std::uint32_t{0xFFFFFFFF}), "4294967295"},
        {format("%lx %X %x", 0x1A0u, 0xABCu, 0xFFFFFFFFFFull), "1a0 ABC ffffffff"},
        {format("%02x%02x", 5, 0xab), "05ab"},
        {format("# 0x%lx: verts= %ld\n", 0x100u, 8u), "# 0x100: verts= 8\n"},
        {format("%s/%s", std::string("a b"), "c"), "a b/c"},
        {format("100%% %c", 'x'), "100% x"},
        {format("%.3f %8.2f %+f", 1.23456, -2.5, 3.0), c("%.3f %8.2f %+f", 1.23456, -2.5, 3.0)},
        {format("v %f %f %f", 1.5f, -0.25f, 1e-7f), c("v %f %f %f", 1.5, -0.25, double(1e-7f))},
        {format("%ld", std::int64_t{-9223372036854775807LL - 1}), "-9223372036854775808"},
        {format("%u %lu", 7u, 18446744073709551615ull), "7 18446744073709551615"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.got, row.want);
    EXPECT_EQ(hexText(0), "0");
    EXPECT_EQ(hexText(0xAB), "ab");
}

}  // namespace
}  // namespace nimbrel
