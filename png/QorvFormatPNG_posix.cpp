// The image without a window system: the pixel store is a heap buffer, there
// is no device to draw on, no host bitmap, no clipboard and no palette
// object.
#include "png/QorvFormatPNG_internal.h"

std::unique_ptr<TPNGPixelStore> NewPNGPixelStore() {
    return std::make_unique<TPNGHeapPixelStore>();
}

bool AssignFromHostBitmap(TQorvPNGObject&, const TGraphic&) {
    return false;
}

bool AssignIntoHostBitmap(const TQorvPNGObject&, TGraphic&) {
    return false;
}

void TQorvPNGObject::PaintTo(TCanvas&, const TRect&) {}

void TQorvPNGObject::CopyFromBitmap(void*, bool, uint32_t) {
    throw EPngError("Bitmaps need the window system.");
}

void TQorvPNGObject::LoadFromClipboardFormat(uint32_t format, uintptr_t data) {
    TGraphic::LoadFromClipboardFormat(format, data);
}

void TQorvPNGObject::SaveToClipboardFormat(uint32_t& format, uintptr_t& data) const {
    TGraphic::SaveToClipboardFormat(format, data);
}

uintptr_t TQorvPNGObject::PaletteHandle() const {
    RequireHeader();
    return 0;
}

void TQorvPNGObject::ReleasePaletteHandle() {
    FPaletteHandle = nullptr;
}
