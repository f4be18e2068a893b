// The picture framework: graphic classes (a PNG image, a bitmap...) behind one
// base class, found by file extension or by the class name a form stores with
// a picture, and TPicture, which holds one graphic of whatever class.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Components.h"
#include "framework/Layout.h"

class TCanvas; // a device to draw on; the Windows layer defines it

// Raised when a picture cannot be assigned, read or found.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

class TGraphic : public TObject {
public:
    // The class name a form stores with a picture of this class.
    virtual std::string GraphicClassName() const = 0;

    // Copies from `source` (null: becomes empty). The default knows no
    // source class and raises; a class that knows the source overrides it.
    virtual void AssignFrom(const TGraphic* source);
    // Copies into `destination`; the default asks the destination to copy
    // from us, which raises when it does not know our class either.
    virtual void AssignInto(TGraphic& destination) const;
    void Assign(const TGraphic* source);

    virtual void PaintTo(TCanvas& canvas, const TRect& rect) = 0;
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    // A logical palette handle (HPALETTE) for the device, or 0.
    virtual uintptr_t PaletteHandle() const { return 0; }
    virtual bool Transparent() const { return false; }

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;
    // Clipboard: `format` is a clipboard format, `data` the clipboard handle.
    virtual void LoadFromClipboardFormat(uint32_t format, uintptr_t data);
    virtual void SaveToClipboardFormat(uint32_t& format, uintptr_t& data) const;

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
};

struct TGraphicClass {
    std::string ClassName;   // "TQorvPNGObject"
    std::string Extension;   // "PNG", matched without regard to case
    std::string Description; // "Portable Network Graphics"
    std::function<std::unique_ptr<TGraphic>()> Create;
};

void RegisterGraphicClass(TGraphicClass graphicClass);
void UnregisterGraphicClass(const std::string& className);
const TGraphicClass* FindGraphicClassByExtension(const std::string& extension);
const TGraphicClass* FindGraphicClassByName(const std::string& className);
// Every registered class, in the order registered (for file dialogs).
std::vector<TGraphicClass> GraphicClasses();

// Holds one graphic. Pictures a form stores are the class name, length
// prefixed in one byte, followed by the graphic's own stream.
class TPicture {
public:
    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic) { FGraphic = std::move(graphic); }
    // Picks the class by the file's extension.
    void LoadFromFile(const std::string& fileName);
    // A copy of `source`'s graphic, of the same class; empty when it is.
    void Assign(const TPicture& source);
    void ReadData(TStream& stream);
    void WriteData(TStream& stream) const;

private:
    std::unique_ptr<TGraphic> FGraphic;
};
