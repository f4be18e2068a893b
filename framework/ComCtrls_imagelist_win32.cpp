// TImageList: the images of a bitmap resource strip, and their greyed copy
// for disabled buttons, made on first use.
#include "framework/ComCtrls_win32.h"

#include "framework/Gdi_win32.h"
#include "framework/Published.h"
#include "framework/StepTimes.h"
#include "framework/SysUtils_win32.h"

const TClassInfo& TImageList::StaticClass() {
    static const TClassInfo info{"TImageList",
                                 &TComponent::StaticClass(),
                                 CreateComponent<TImageList>,
                                 {IntProp("Width", &TImageList::SetWidth, "16"),
                                  IntProp("Height", &TImageList::SetHeight, "16"),
                                  StrProp("ResourceName", &TImageList::SetResourceName)}};
    return info;
}

TImageList::~TImageList() {
    if (FHandle)
        ImageList_Destroy(FHandle);
    if (FDisabled)
        ImageList_Destroy(FDisabled);
}

HIMAGELIST TImageList::Handle() {
    if (!FHandle)
        FHandle = Create(false);
    return FHandle;
}

HIMAGELIST TImageList::DisabledHandle() {
    if (!FDisabled)
        FDisabled = Create(true);
    return FDisabled;
}

HIMAGELIST TImageList::Create(bool disabled) {
    TStartupStep step("image lists and artwork");
    HIMAGELIST list = ImageList_Create(FWidth, FHeight, ILC_COLOR32, 10, 10);
    // A list of no images, only there to set a list view's row height, may be
    // 0 pixels wide; where the system refuses that, 1 pixel does the same.
    if (!list && FWidth == 0 && FResourceName.empty())
        list = ImageList_Create(1, FHeight, ILC_COLOR32, 0, 1);
    if (!list)
        RaiseLastOSError("Cannot create an image list of " + std::to_string(FWidth) + " x " +
                             std::to_string(FHeight) + " pixels",
                         "ImageList_Create");
    if (FResourceName.empty())
        return list;
    TBitmapHandle strip(
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), FResourceName.c_str(),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    DIBSECTION dib{};
    if (!strip || !GetObjectA(strip.Get(), sizeof dib, &dib)) {
        const DWORD error = GetLastError();
        ImageList_Destroy(list);
        RaiseOSError("Cannot load the images " + FResourceName, "LoadImageA", error);
    }
    if (disabled && dib.dsBm.bmBitsPixel == 32 && dib.dsBm.bmBits) {
        // Grey by luminance, at a third of the opacity.
        auto* px = static_cast<uint8_t*>(dib.dsBm.bmBits);
        const size_t count = static_cast<size_t>(dib.dsBm.bmWidth) * std::abs(dib.dsBm.bmHeight);
        for (size_t i = 0; i < count; ++i, px += 4) {
            const auto grey = static_cast<uint8_t>((px[0] * 29 + px[1] * 150 + px[2] * 77) >> 8);
            px[0] = px[1] = px[2] = static_cast<uint8_t>(128 + grey / 2);
            px[3] = static_cast<uint8_t>(px[3] / 3);
        }
    }
    if (ImageList_Add(list, strip.Get(), nullptr) < 0) {
        ImageList_Destroy(list);
        throw Exception("Cannot load the images " + FResourceName);
    }
    return list;
}

int TImageList::Count() {
    return ImageList_GetImageCount(Handle());
}
