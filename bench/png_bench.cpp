// Decoding speed of the PNG reader against libpng, spng and stb_image, from
// memory, in one run: the PngSuite and large synthetic images made here.
// libpng is set up to give our layout: BGR order, 16-bit samples stripped to
// their high byte, packed indices kept. Then encoding speed and size of the
// PNG writer against libpng at compression level 7, once with only the Sub
// filter on both sides and once with all five filters against libpng's own
// choice; libpng gets the samples already in PNG order.
#include <png.h>
#include <spng.h>
#include <stb/stb_image.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "png/QorvFormatPNG_internal.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

// ---------------------------------------------------------------------------
// Decoders

void DecodeOurs(const Bytes& file) {
    TQorvPNGObject image;
    TReadOnlyMemoryStream stream(file.data(), file.size());
    image.ReadStream(stream);
}

struct TMemReader {
    const Bytes* file;
    size_t pos;
};

void ReadMem(png_structp png, png_bytep out, png_size_t n) {
    auto* r = static_cast<TMemReader*>(png_get_io_ptr(png));
    if (r->pos + n > r->file->size())
        png_error(png, "short read");
    std::memcpy(out, r->file->data() + r->pos, n);
    r->pos += n;
}

void DecodeLibpng(const Bytes& file) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    TMemReader reader{&file, 0};
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    png_set_read_fn(png, &reader, ReadMem);
    png_read_info(png, info);
    png_set_bgr(png);
    png_set_strip_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(rowBytes * height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows.push_back(pixels.data() + rowBytes * y);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
}

void DecodeSpng(const Bytes& file) {
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, file.data(), file.size());
    size_t size = 0;
    if (spng_decoded_image_size(ctx, SPNG_FMT_PNG, &size) == 0) {
        std::vector<uint8_t> out(size);
        spng_decode_image(ctx, out.data(), size, SPNG_FMT_PNG, 0);
    }
    spng_ctx_free(ctx);
}

void DecodeStb(const Bytes& file) {
    int w, h, n;
    stbi_uc* p = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &n, 0);
    stbi_image_free(p);
}

using TDecoder = std::function<void(const Bytes&)>;

// Seconds per decode of all files for each decoder: the best of many rounds,
// the decoders taking turns within each round so that load from other
// processes falls on all of them alike.
std::vector<double> TimeDecoders(const std::vector<TDecoder>& decoders,
                                 const std::vector<Bytes>& files) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> best(decoders.size(), 1e30);
    const auto start = Clock::now();
    for (int round = 0; round < 200; ++round) {
        for (size_t d = 0; d < decoders.size(); ++d) {
            const auto t0 = Clock::now();
            for (const auto& f : files)
                decoders[d](f);
            best[d] = std::min(best[d], std::chrono::duration<double>(Clock::now() - t0).count());
        }
        if (round >= 4 && std::chrono::duration<double>(Clock::now() - start).count() > 3.0)
            break;
    }
    return best;
}

// ---------------------------------------------------------------------------
// Synthetic images, written with libpng's default filters and compression.

struct TImageRecipe {
    std::string name;
    uint32_t width, height;
    int bitDepth, colorType;
    bool interlaced;
    bool photo;
};

int ChannelsOf(int colorType) {
    return colorType == 2 ? 3 : colorType == 6 ? 4 : colorType == 4 ? 2 : 1;
}

void WriteMem(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void FlushMem(png_structp) {}

Bytes MakeImage(const TImageRecipe& s) {
    const int channels = ChannelsOf(s.colorType);
    const size_t bytesPerSample = s.bitDepth == 16 ? 2 : 1;
    const size_t rowBytes = s.width * channels * bytesPerSample;
    std::vector<uint8_t> pixels(rowBytes * s.height);
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> noise(-6, 6);
    for (uint32_t y = 0; y < s.height; ++y) {
        for (uint32_t x = 0; x < s.width; ++x) {
            for (int c = 0; c < channels; ++c) {
                double v;
                if (s.photo) {
                    // Smooth shapes with sensor-like noise.
                    v = 128 + 60 * std::sin(x * (0.004 + 0.002 * c) + y * 0.003) +
                        50 * std::cos(std::hypot(x - 700.0, y - 400.0) * 0.01 + c) + noise(rng);
                } else {
                    v = ((x / 128 + y / 96 + c) % 5) * 60;
                }
                if (s.colorType == 3 || s.bitDepth < 8)
                    v = s.photo ? v : ((x / 64 + y / 64) % 16) * 16;
                if (s.bitDepth < 8)
                    v = static_cast<int>(v) >> (8 - s.bitDepth);
                if ((s.colorType == 6 || s.colorType == 4) && c == channels - 1)
                    v = s.photo ? 255 - (x * 255 / s.width) / 2 : (x / 256 % 2) * 255;
                const int iv = std::clamp(static_cast<int>(v), 0, 255);
                uint8_t* p = pixels.data() + y * rowBytes + (x * channels + c) * bytesPerSample;
                if (s.bitDepth == 16) {
                    p[0] = static_cast<uint8_t>(iv);
                    p[1] = static_cast<uint8_t>(rng());
                } else {
                    p[0] = static_cast<uint8_t>(iv);
                }
            }
        }
    }
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, WriteMem, FlushMem);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (s.colorType == 3) {
        png_color palette[256];
        for (int i = 0; i < 256; ++i)
            palette[i] = png_color{static_cast<png_byte>(i), static_cast<png_byte>(255 - i),
                                   static_cast<png_byte>(i * 7)};
        png_set_PLTE(png, info, palette, 1 << s.bitDepth);
    }
    png_write_info(png, info);
    if (s.bitDepth < 8)
        png_set_packing(png); // one sample per byte in, packed out
    std::vector<png_bytep> rows;
    for (uint32_t y = 0; y < s.height; ++y)
        rows.push_back(pixels.data() + y * rowBytes);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// ---------------------------------------------------------------------------
// Encoding

// An image as libpng writes it: PNG samples, rows top-down.
struct TRawImage {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
    png_color_16 key{};
    bool hasKey = false;
    size_t rowBytes = 0;
    Bytes pixels;
};

TRawImage RawFromFile(const Bytes& file) {
    TRawImage raw;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    TMemReader reader{&file, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return {};
    }
    png_set_read_fn(png, &reader, ReadMem);
    png_read_info(png, info);
    png_get_IHDR(png, info, &raw.width, &raw.height, &raw.bitDepth, &raw.colorType, &raw.interlace,
                 nullptr, nullptr);
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count))
        raw.palette.assign(palette, palette + count);
    png_bytep alphas = nullptr;
    png_color_16p key = nullptr;
    if (png_get_tRNS(png, info, &alphas, &count, &key)) {
        if (raw.colorType == 3)
            raw.alphas.assign(alphas, alphas + count);
        else if (key) {
            raw.key = *key;
            raw.hasKey = true;
        }
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    raw.rowBytes = png_get_rowbytes(png, info);
    raw.pixels.resize(raw.rowBytes * raw.height);
    std::vector<png_bytep> rows;
    for (png_uint_32 y = 0; y < raw.height; ++y)
        rows.push_back(raw.pixels.data() + raw.rowBytes * y);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return raw;
}

// filters: a PNG_FILTER_ mask, or 0 for libpng's own choice.
size_t EncodeLibpng(const TRawImage& raw, int filters) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return 0;
    }
    png_set_write_fn(png, &out, WriteMem, FlushMem);
    png_set_compression_level(png, 7);
    if (filters)
        png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
    png_set_IHDR(png, info, raw.width, raw.height, raw.bitDepth, raw.colorType, raw.interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!raw.palette.empty())
        png_set_PLTE(png, info, raw.palette.data(), static_cast<int>(raw.palette.size()));
    if (!raw.alphas.empty())
        png_set_tRNS(png, info, raw.alphas.data(), static_cast<int>(raw.alphas.size()), nullptr);
    if (raw.hasKey) {
        png_color_16 key = raw.key;
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (png_uint_32 y = 0; y < raw.height; ++y)
        rows.push_back(const_cast<png_bytep>(raw.pixels.data() + raw.rowBytes * y));
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out.size();
}

size_t EncodeOurs(TQorvPNGObject& image, TFilters filters) {
    image.SetFilters(filters);
    image.SetCompressionLevel(7);
    TMemoryStream out;
    image.WriteStream(out);
    return out.Bytes().size();
}

// Best seconds of each run, taking turns as TimeDecoders does.
std::vector<double> TimeRuns(const std::vector<std::function<void()>>& runs) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> best(runs.size(), 1e30);
    const auto start = Clock::now();
    for (int round = 0; round < 100; ++round) {
        for (size_t r = 0; r < runs.size(); ++r) {
            const auto t0 = Clock::now();
            runs[r]();
            best[r] = std::min(best[r], std::chrono::duration<double>(Clock::now() - t0).count());
        }
        if (round >= 2 && std::chrono::duration<double>(Clock::now() - start).count() > 3.0)
            break;
    }
    return best;
}

void BenchEncoding(const std::string& name, const std::vector<Bytes>& files, double& worstTime) {
    std::vector<std::unique_ptr<TQorvPNGObject>> images;
    std::vector<TRawImage> raws;
    for (const auto& f : files) {
        images.push_back(std::make_unique<TQorvPNGObject>());
        TReadOnlyMemoryStream stream(f.data(), f.size());
        images.back()->ReadStream(stream);
        raws.push_back(RawFromFile(f));
    }
    struct TMode {
        const char* label;
        TFilters ours;
        int libpng;
    };
    const TMode modes[] = {{"{Sub} vs Sub", TFilters(1 << pfSub), PNG_FILTER_SUB},
                           {"all five vs own", TFilters(0x1F), 0}};
    for (const TMode& m : modes) {
        size_t ourSize = 0, theirSize = 0;
        const std::vector<double> t = TimeRuns({[&] {
                                                    ourSize = 0;
                                                    for (auto& image : images)
                                                        ourSize += EncodeOurs(*image, m.ours);
                                                },
                                                [&] {
                                                    theirSize = 0;
                                                    for (const auto& raw : raws)
                                                        theirSize += EncodeLibpng(raw, m.libpng);
                                                }});
        worstTime = std::max(worstTime, t[0] / t[1]);
        std::printf("%-34s %-16s %9.2f %9.2f %7.2f %10zu %10zu %7.3f\n", name.c_str(), m.label,
                    t[0] * 1e3, t[1] * 1e3, t[0] / t[1], ourSize, theirSize,
                    double(ourSize) / double(theirSize));
    }
}

// ---------------------------------------------------------------------------
// Peak memory of one decode: every allocation of the process passes through
// the counting functions below while a measurement is on.
size_t LiveBytes = 0, PeakBytes = 0;
bool Counting = false;

long PeakDecodeKb(const TDecoder& decode, const Bytes& file) {
    LiveBytes = PeakBytes = 0;
    Counting = true;
    decode(file);
    Counting = false;
    return static_cast<long>(PeakBytes / 1024);
}

} // namespace

int main(int argc, char** argv) {
    RegisterPNGGraphicClass();
    // png_bench [--profile CASE LIBRARY]: repeat one decode, for a profiler.
    const bool profile = argc > 3 && std::strcmp(argv[1], "--profile") == 0;
    const std::string suiteDir = QORV_TESTDATA_DIR "/pngsuite";

    struct TCase {
        std::string name;
        std::vector<Bytes> files;
    };
    std::vector<TCase> cases;

    TCase suite{"pngsuite (all valid)", {}};
    for (const auto& e : fs::directory_iterator(suiteDir)) {
        const std::string n = e.path().filename().string();
        if (e.path().extension() == ".png" && n[0] != 'x') {
            std::ifstream in(e.path(), std::ios::binary);
            suite.files.emplace_back(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
        }
    }
    cases.push_back(suite);

    const uint32_t W = 2048, H = 1536;
    const std::vector<TImageRecipe> recipes = {
        {"photo RGB 8", W, H, 8, 2, false, true},
        {"photo RGBA 8", W, H, 8, 6, false, true},
        {"photo RGB 16", W, H, 16, 2, false, true},
        {"photo RGBA 16", W, H, 16, 6, false, true},
        {"photo grey 8", W, H, 8, 0, false, true},
        {"photo grey+alpha 8", W, H, 8, 4, false, true},
        {"photo palette 8", W, H, 8, 3, false, true},
        {"photo RGB 8 interlaced", W, H, 8, 2, true, true},
        {"photo RGBA 8 interlaced", W, H, 8, 6, true, true},
        {"flat RGB 8", W, H, 8, 2, false, false},
        {"flat RGBA 8", W, H, 8, 6, false, false},
        {"flat palette 4", W, H, 4, 3, false, false},
        {"flat palette 8 interlaced", W, H, 8, 3, true, false},
        {"flat grey 1", W, H, 1, 0, false, false},
    };
    for (size_t i = 0; i < recipes.size(); ++i) {
        const auto& s = recipes[i];
        if (profile && static_cast<size_t>(std::atoi(argv[2])) != i + 1) {
            cases.push_back({s.name, {}});
            continue;
        }
        cases.push_back({s.name + " " + std::to_string(s.width) + "x" + std::to_string(s.height),
                         {MakeImage(s)}});
    }

    if (profile) {
        const auto& files = cases.at(static_cast<size_t>(std::atoi(argv[2]))).files;
        const std::string lib = argv[3];
        for (int i = 0; i < 100; ++i)
            for (const auto& f : files)
                lib == "libpng" ? DecodeLibpng(f) : lib == "spng" ? DecodeSpng(f) : DecodeOurs(f);
        return 0;
    }
    // png_bench --encode: the encoding table only.
    const bool encodeOnly = argc > 1 && std::strcmp(argv[1], "--encode") == 0;
    if (!encodeOnly)
        std::printf("%-40s %9s %9s %9s %9s %8s\n", "image", "qorv ms", "libpng ms", "spng ms",
                    "stb ms", "qorv/png");
    double worst = 0;
    const std::vector<TDecoder> decoders = {DecodeOurs, DecodeLibpng, DecodeSpng, DecodeStb};
    for (const auto& c : encodeOnly ? std::vector<TCase>{} : cases) {
        const std::vector<double> t = TimeDecoders(decoders, c.files);
        worst = std::max(worst, t[0] / t[1]);
        std::printf("%-40s %9.2f %9.2f %9.2f %9.2f %8.2f\n", c.name.c_str(), t[0] * 1e3, t[1] * 1e3,
                    t[2] * 1e3, t[3] * 1e3, t[0] / t[1]);
    }
    if (!encodeOnly)
        std::printf("worst ratio qorv/libpng: %.2f\n", worst);

    std::printf("\nencoding at level 7\n%-34s %-16s %9s %9s %7s %10s %10s %7s\n", "image",
                "filters", "qorv ms", "libpng ms", "time", "qorv B", "libpng B", "size");
    double worstEncode = 0;
    for (size_t i : {size_t(0), size_t(1), size_t(2), size_t(5), size_t(7), size_t(10), size_t(12)})
        BenchEncoding(cases[i].name, cases[i].files, worstEncode);
    std::printf("worst encoding time ratio qorv/libpng: %.2f\n\n", worstEncode);
    if (encodeOnly)
        return 0;

    const Bytes& large = cases[2].files[0]; // photo RGBA 8
    std::printf("peak heap of one %ux%u RGBA 8 decode (decoded image included): qorv %ld KiB, "
                "libpng %ld KiB, spng %ld KiB, stb %ld KiB\n",
                W, H, PeakDecodeKb(DecodeOurs, large), PeakDecodeKb(DecodeLibpng, large),
                PeakDecodeKb(DecodeSpng, large), PeakDecodeKb(DecodeStb, large));
    return 0;
}

// Counting allocator (glibc): forwards to the C library's own functions.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

static void CountIn(void* p) {
    if (Counting && p) {
        LiveBytes += malloc_usable_size(p);
        PeakBytes = std::max(PeakBytes, LiveBytes);
    }
}
static void CountOut(void* p) {
    if (Counting && p) {
        const size_t n = malloc_usable_size(p);
        LiveBytes = LiveBytes > n ? LiveBytes - n : 0;
    }
}

void* malloc(size_t n) {
    void* p = __libc_malloc(n);
    CountIn(p);
    return p;
}
void* calloc(size_t n, size_t m) {
    void* p = __libc_calloc(n, m);
    CountIn(p);
    return p;
}
void* realloc(void* old, size_t n) {
    CountOut(old);
    void* p = __libc_realloc(old, n);
    CountIn(p ? p : (n == 0 ? nullptr : old));
    return p;
}
void free(void* p) {
    CountOut(p);
    __libc_free(p);
}
}
