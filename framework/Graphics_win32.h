// The Windows side of the picture framework: the canvas graphics draw on, the
// host bitmap, and the picture control.
#pragma once

#include <windows.h>

#include "framework/Controls_win32.h"
#include "framework/Gdi_win32.h"
#include "framework/Picture.h"

// A device bitmap with an optional transparent colour.
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    std::string GraphicClassName() const override { return "TBitmap"; }

    HBITMAP Handle() const { return FHandle.Get(); }
    // Takes ownership of `bitmap`.
    void SetHandle(HBITMAP bitmap);
    bool Transparent() const override { return FTransparent; }
    void SetTransparent(bool value) { FTransparent = value; }
    // clDefault: the colour of the bottom-left pixel.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color) { FTransparentColor = color; }

    void AssignFrom(const TGraphic* source) override;
    void PaintTo(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override { return !FHandle; }
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromClipboardFormat(uint32_t format, uintptr_t data) override;
    void SaveToClipboardFormat(uint32_t& format, uintptr_t& data) const override;

private:
    void Resize(int width, int height);

    TBitmapHandle FHandle;
    bool FTransparent = false;
    TColor FTransparentColor = clDefault;
};

// Shows a picture stored in form data (Picture = {class name and bytes}).
class TImage : public TGraphicControl {
    QORV_COMPONENT_CLASS
public:
    explicit TImage(TComponent* owner) : TGraphicControl(owner) {}
    TPicture& Picture() { return FPicture; }
    void SetPictureData(const std::vector<uint8_t>& data);
    void SetPicture(const TPicture& picture);
    void SetStretch(bool value);
    // The control takes the picture's size whenever the picture changes.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    void Paint(HDC dc) override;

protected:
    virtual void PictureChanged();

private:
    bool FAutoSize = false;
    TPicture FPicture;
    bool FStretch = false;
};

// The framework's own picture class (TBitmap).
void RegisterGraphicClasses();
