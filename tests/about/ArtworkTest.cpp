// The About window's background as the art script writes it: the layout the
// window relies on, and a picture the PNG unit reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "png/QorvFormatPNG.h"

namespace {

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

TEST(AboutArtwork, HasTheLayoutTheWindowExpectsAndDecodes) {
    std::ifstream in(QORV_ABOUT_PNG, std::ios::binary);
    ASSERT_TRUE(in) << QORV_ABOUT_PNG;
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(file.size(), 8u);
    std::map<std::string, std::vector<std::vector<uint8_t>>> chunks;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = Be32(file, at);
        ASSERT_LE(at + 12 + length, file.size());
        const std::string kind(file.begin() + at + 4, file.begin() + at + 8);
        chunks[kind].emplace_back(file.begin() + at + 8, file.begin() + at + 8 + length);
        at += 12 + length;
    }
    ASSERT_EQ(chunks["IHDR"].size(), 1u);
    const auto& ihdr = chunks["IHDR"][0];
    EXPECT_EQ(Be32(ihdr, 0), 458u);
    EXPECT_EQ(Be32(ihdr, 4), 358u);
    EXPECT_EQ(ihdr[8], 8) << "bit depth";
    EXPECT_EQ(ihdr[9], 3) << "palette colour";
    ASSERT_EQ(chunks["PLTE"].size(), 1u);
    EXPECT_EQ(chunks["PLTE"][0].size(), 128u * 3);
    ASSERT_EQ(chunks["gAMA"].size(), 1u);
    EXPECT_EQ(Be32(chunks["gAMA"][0], 0), 45000u);
    EXPECT_EQ(chunks["tEXt"].size(), 1u);

    RegisterPNGGraphicClass();
    TQorvPNGObject png;
    png.LoadFromFile(QORV_ABOUT_PNG);
    EXPECT_EQ(png.Width(), 458);
    EXPECT_EQ(png.Height(), 358);
}

} // namespace
