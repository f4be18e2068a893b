#include "tests/png/PngTestUtil.h"

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x >> 24));
    v.push_back(static_cast<uint8_t>(x >> 16));
    v.push_back(static_cast<uint8_t>(x >> 8));
    v.push_back(static_cast<uint8_t>(x));
}

int Channels(uint8_t colorType) {
    switch (colorType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    }
    return 1;
}
} // namespace

TPngBuilder::TPngBuilder() : FBytes{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A} {}

TPngBuilder& TPngBuilder::Chunk(const std::string& name, const std::vector<uint8_t>& data) {
    Put32(FBytes, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(name.begin(), name.end());
    body.insert(body.end(), data.begin(), data.end());
    FBytes.insert(FBytes.end(), body.begin(), body.end());
    Put32(FBytes, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
    return *this;
}

TPngBuilder& TPngBuilder::Header(uint32_t width, uint32_t height, uint8_t bitDepth,
                                 uint8_t colorType, uint8_t interlace) {
    std::vector<uint8_t> d;
    Put32(d, width);
    Put32(d, height);
    d.insert(d.end(), {bitDepth, colorType, 0, 0, interlace});
    return Chunk("IHDR", d);
}

TPngBuilder& TPngBuilder::ImageData(const std::vector<uint8_t>& zlibData,
                                    const std::vector<size_t>& parts) {
    if (parts.empty())
        return Chunk("IDAT", zlibData);
    size_t pos = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        const size_t n = i + 1 == parts.size() ? zlibData.size() - pos : parts[i];
        Chunk("IDAT",
              std::vector<uint8_t>(zlibData.begin() + static_cast<std::ptrdiff_t>(pos),
                                   zlibData.begin() + static_cast<std::ptrdiff_t>(pos + n)));
        pos += n;
    }
    return *this;
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6);
    out.resize(size);
    return out;
}

std::vector<uint8_t> RawScanlines(const std::vector<std::vector<uint8_t>>& rows, uint32_t width,
                                  uint8_t bitDepth, uint8_t colorType, bool interlaced) {
    std::vector<uint8_t> raw;
    if (!interlaced) {
        for (const auto& row : rows) {
            raw.push_back(0);
            raw.insert(raw.end(), row.begin(), row.end());
        }
        return raw;
    }
    static const int passes[7][4] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                     {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};
    const size_t pixelBits = size_t(Channels(colorType)) * bitDepth;
    for (const auto& p : passes) {
        if (width <= uint32_t(p[1]))
            continue;
        const size_t columns = (width - p[1] + p[3] - 1) / p[3];
        for (size_t r = p[0]; r < rows.size(); r += p[2]) {
            std::vector<uint8_t> out((columns * pixelBits + 7) / 8, 0);
            for (size_t k = 0; k < columns; ++k) {
                const size_t c = p[1] + k * p[3];
                if (pixelBits < 8) {
                    const size_t sb = c * pixelBits;
                    const unsigned v =
                        (rows[r][sb / 8] >> (8 - pixelBits - sb % 8)) & ((1u << pixelBits) - 1);
                    const size_t db = k * pixelBits;
                    out[db / 8] =
                        static_cast<uint8_t>(out[db / 8] | (v << (8 - pixelBits - db % 8)));
                } else {
                    std::memcpy(&out[k * pixelBits / 8], &rows[r][c * pixelBits / 8],
                                pixelBits / 8);
                }
            }
            raw.push_back(0);
            raw.insert(raw.end(), out.begin(), out.end());
        }
    }
    return raw;
}

std::vector<uint8_t>
MakePng(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType,
        const std::vector<std::vector<uint8_t>>& rows, bool interlaced,
        const std::vector<std::pair<std::string, std::vector<uint8_t>>>& beforeData) {
    TPngBuilder b;
    b.Header(width, height, bitDepth, colorType, interlaced ? 1 : 0);
    for (const auto& [name, data] : beforeData)
        b.Chunk(name, data);
    b.ImageData(Compress(RawScanlines(rows, width, bitDepth, colorType, interlaced)));
    return b.End().Bytes();
}

void ExpectedGammaTables(uint32_t gammaValue, uint8_t* gamma, uint8_t* inverse) {
    for (int i = 0; i < 256; ++i)
        gamma[i] = inverse[i] = static_cast<uint8_t>(i);
    if (gammaValue == 0)
        return;
    const long double exponent = 1.0L / ((long double)gammaValue / 100000.0L * 2.2L);
    for (int i = 0; i < 256; ++i) {
        const long double v = i == 0 ? 0.0L : std::pow((long double)i / 255.0L, exponent);
        const int g = static_cast<int>(std::nearbyint(v * 255.0L));
        gamma[i] = static_cast<uint8_t>(g);
        inverse[g] = static_cast<uint8_t>(i);
    }
}

const uint8_t* IdentityGamma() {
    static uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(i);
    return table;
}

TPNGRGBQuad StoredColor(const TQorvPNGObject& image, int x, int y) {
    const TChunkIHDR& h = image.RequireHeader();
    const uint8_t* row = image.RowPointer(y);
    const int bits = h.BitmapInfo.bmiHeader.biBitCount;
    if (bits == 24)
        return TPNGRGBQuad{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
    const int bitPos = x * bits;
    const unsigned index = (row[bitPos / 8] >> (8 - bits - bitPos % 8)) & ((1u << bits) - 1);
    return h.BitmapInfo.bmiColors[index];
}

bool IsUnitException(const std::exception& e) {
    return dynamic_cast<const EPNGException*>(&e) != nullptr;
}

void LoadPng(TQorvPNGObject& image, const std::vector<uint8_t>& bytes) {
    TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
    image.ReadStream(stream);
}

std::vector<unsigned> KeyFor(uint8_t colorType, uint8_t bitDepth) {
    const unsigned grey = bitDepth == 16  ? 0x12AB
                          : bitDepth == 8 ? 250
                          : bitDepth == 4 ? 9
                          : bitDepth == 2 ? 2
                                          : 1;
    if (colorType == 0)
        return {grey};
    return bitDepth == 16 ? std::vector<unsigned>{0xFA10, 0x0301, 0xFB77}
                          : std::vector<unsigned>{250, 3, 251};
}

TKeyedImage MakeKeyedImage(uint8_t colorType, uint8_t bitDepth, uint32_t gamma, bool interlaced,
                           uint32_t seed, const std::vector<unsigned>& key) {
    TKeyedImage out;
    out.Width = 13;
    out.Height = 6;
    std::mt19937 rng(seed);
    const unsigned maximum = (1u << bitDepth) - 1;
    const size_t channels = colorType == 2 ? 3 : 1;
    std::vector<std::vector<uint8_t>> rows;
    for (uint32_t y = 0; y < out.Height; ++y) {
        std::vector<uint8_t> row((out.Width * channels * bitDepth + 7) / 8, 0);
        for (uint32_t x = 0; x < out.Width; ++x) {
            std::vector<unsigned> samples(key.begin(), key.end());
            const unsigned pick = rng() % 10;
            if (pick >= 3 && pick < 6) {
                // Near the key: one sample a step away, or another low byte.
                unsigned& s = samples[rng() % channels];
                s = bitDepth == 16 ? (s & 0xFF00) | (rng() & 0xFF)
                                   : (s + (rng() % 2 ? 1 : maximum)) & maximum;
            } else if (pick >= 6) {
                for (auto& s : samples)
                    s = rng() & maximum;
            }
            bool isKey = true;
            for (size_t c = 0; c < channels; ++c) {
                isKey = isKey && samples[c] == key[c];
                const size_t bit = (size_t(x) * channels + c) * bitDepth;
                if (bitDepth == 16) {
                    row[bit / 8] = static_cast<uint8_t>(samples[c] >> 8);
                    row[bit / 8 + 1] = static_cast<uint8_t>(samples[c]);
                } else {
                    row[bit / 8] = static_cast<uint8_t>(row[bit / 8] |
                                                        (samples[c] << (8 - bitDepth - bit % 8)));
                }
            }
            out.KeyPixels.push_back(isKey ? 1 : 0);
        }
        rows.push_back(row);
    }
    std::vector<uint8_t> trns;
    for (unsigned k : key)
        trns.insert(trns.end(), {uint8_t(k >> 8), uint8_t(k)});
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks;
    if (gamma)
        chunks.push_back(
            {"gAMA",
             {uint8_t(gamma >> 24), uint8_t(gamma >> 16), uint8_t(gamma >> 8), uint8_t(gamma)}});
    chunks.push_back({"tRNS", trns});
    out.Bytes = MakePng(out.Width, out.Height, bitDepth, colorType, rows, interlaced, chunks);
    return out;
}
