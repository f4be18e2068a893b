// Feeds arbitrary bytes to the PNG reader. Refusal by one of the unit's
// exceptions is the expected outcome for broken input, and leaves the image
// empty; anything else (a crash, a sanitizer report, a foreign exception, a
// refused file that left chunks behind) is a finding. An image read in
// full is also written and read again: the copy must read without complaint
// and, without gamma, hold the same pixels; a copy of the image must write
// the same file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "png/QorvFormatPNG_internal.h"

namespace {
void RoundTrip(TQorvPNGObject& image) {
    const TChunkIHDR& h = image.RequireHeader();
    // Large images make slow fuzzing without finding more.
    if (!h.ImageData || size_t(h.Width) * h.Height > (1u << 20))
        return;
    const bool gamma = image.Chunks().Find<TChunkgAMA>() != nullptr;
    // A copy writes the file its source writes.
    TQorvPNGObject copy;
    copy.CopyFromImage(image);
    TMemoryStream out, copyOut;
    image.WriteStream(out);
    copy.WriteStream(copyOut);
    if (copyOut.Bytes() != out.Bytes()) {
        std::fprintf(stderr, "a copy writes another file\n");
        std::abort();
    }
    TQorvPNGObject back;
    try {
        TReadOnlyMemoryStream in(out.Bytes().data(), out.Bytes().size());
        back.ReadStream(in);
    } catch (const EPNGException& e) {
        std::fprintf(stderr, "written image refused: %s\n", e.Message().c_str());
        std::abort();
    }
    const TChunkIHDR& b = back.RequireHeader();
    if (b.Width != h.Width || b.Height != h.Height || b.ColorType != h.ColorType)
        std::abort();
    if (!gamma && (std::memcmp(b.ImageData, h.ImageData, h.BytesPerRow * h.Height) != 0 ||
                   (h.ImageAlpha &&
                    std::memcmp(b.ImageAlpha, h.ImageAlpha, size_t(h.Width) * h.Height) != 0)))
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    RegisterPNGGraphicClass();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TQorvPNGObject image;
    // The chunk limits stay at their defaults, the ones untrusted files meet.
    // The image limits are lowered so that one image stays far below the
    // fuzzer's memory limit: a header alone can ask for 1 GiB of pixels.
    image.SetImageLimits(4096, 4096);
    TReadOnlyMemoryStream stream(data, size);
    bool complete = false;
    try {
        image.ReadStream(stream);
        complete = true;
    } catch (const EPNGException&) {
        // A refused file leaves the image empty.
        if (!image.Empty()) {
            std::fprintf(stderr, "a refused file left chunks behind\n");
            std::abort();
        }
    }
    if (complete)
        RoundTrip(image);
    if (image.HasHeader()) {
        const int w = image.Width(), h = image.Height();
        try {
            image.TransparencyKindOf();
            image.TransparentColorOf();
            image.ReadPixel(0, 0);
            image.ReadPixel(w - 1, h - 1);
            image.WritePixel(w / 2, h / 2, 0x123456);
        } catch (const EPNGException&) {
        }
        TQorvPNGObject copy;
        try {
            copy.CopyFromImage(image);
        } catch (const EPNGException&) {
        }
    }
    return 0;
}
