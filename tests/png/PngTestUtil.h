// Helpers of the PNG tests: building PNG files chunk by chunk, the expected
// gamma tables, and reading a decoded pixel through the colour table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "png/QorvFormatPNG_internal.h"

std::vector<uint8_t> ReadFileBytes(const std::string& path);

// A PNG file under construction.
class TPngBuilder {
public:
    TPngBuilder();
    TPngBuilder& Chunk(const std::string& name, const std::vector<uint8_t>& data);
    TPngBuilder& Header(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType,
                        uint8_t interlace = 0);
    // One IDAT per part; sizes of 0 make empty chunks.
    TPngBuilder& ImageData(const std::vector<uint8_t>& zlibData,
                           const std::vector<size_t>& parts = {});
    TPngBuilder& End() { return Chunk("IEND", {}); }
    std::vector<uint8_t> Bytes() const { return FBytes; }

private:
    std::vector<uint8_t> FBytes;
};

std::vector<uint8_t> Compress(const std::vector<uint8_t>& raw);
// Raw scan lines with filter byte 0, interlaced or not, from samples given as
// one packed row per image row (as a non-interlaced file would hold them).
std::vector<uint8_t> RawScanlines(const std::vector<std::vector<uint8_t>>& rows, uint32_t width,
                                  uint8_t bitDepth, uint8_t colorType, bool interlaced);
std::vector<uint8_t>
MakePng(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType,
        const std::vector<std::vector<uint8_t>>& rows, bool interlaced = false,
        const std::vector<std::pair<std::string, std::vector<uint8_t>>>& beforeData = {});

void ExpectedGammaTables(uint32_t gammaValue, uint8_t* gamma, uint8_t* inverse);
const uint8_t* IdentityGamma();
// The colour a pixel shows: the colour table entry for indexed layouts,
// the stored blue, green, red otherwise.
TPNGRGBQuad StoredColor(const TQorvPNGObject& image, int x, int y);
bool IsUnitException(const std::exception& e);
void LoadPng(TQorvPNGObject& image, const std::vector<uint8_t>& bytes);

// A grey or RGB image with a tRNS key, its pixels drawn from the key, values
// that only just differ from it (another low byte, a neighbour that gamma
// may merge with it) and random ones.
struct TKeyedImage {
    std::vector<uint8_t> Bytes;
    uint32_t Width = 0, Height = 0;
    // 1 where every sample of the pixel equals the key, row 0 first.
    std::vector<uint8_t> KeyPixels;
};
TKeyedImage MakeKeyedImage(uint8_t colorType, uint8_t bitDepth, uint32_t gamma, bool interlaced,
                           uint32_t seed, const std::vector<unsigned>& key);
// A key for the layout with every sample within its range.
std::vector<unsigned> KeyFor(uint8_t colorType, uint8_t bitDepth);
