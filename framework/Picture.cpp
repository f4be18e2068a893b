#include "framework/Picture.h"

#include <algorithm>
#include <cctype>

namespace {
std::vector<TGraphicClass>& Registry() {
    static std::vector<TGraphicClass> classes;
    return classes;
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string ExtensionOf(const std::string& fileName) {
    const size_t dot = fileName.find_last_of('.');
    const size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return fileName.substr(dot + 1);
}
} // namespace

void TGraphic::AssignFrom(const TGraphic* source) {
    throw EInvalidGraphic("Cannot assign a " +
                          (source ? source->GraphicClassName() : std::string("nil")) + " to a " +
                          GraphicClassName());
}

void TGraphic::AssignInto(TGraphic& destination) const {
    destination.AssignFrom(this);
}

void TGraphic::Assign(const TGraphic* source) {
    if (source == this)
        return;
    // The destination knows best; failing that, the source may know how.
    try {
        AssignFrom(source);
    } catch (const EInvalidGraphic&) {
        if (!source)
            throw;
        source->AssignInto(*this);
    }
}

void TGraphic::LoadFromClipboardFormat(uint32_t, uintptr_t) {
    throw EInvalidGraphic("Unsupported clipboard format for " + GraphicClassName());
}

void TGraphic::SaveToClipboardFormat(uint32_t&, uintptr_t&) const {
    throw EInvalidGraphic("Unsupported clipboard format for " + GraphicClassName());
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileMode::fmOpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) const {
    TFileStream stream(fileName, TFileMode::fmCreate);
    SaveToStream(stream);
}

void RegisterGraphicClass(TGraphicClass graphicClass) {
    UnregisterGraphicClass(graphicClass.ClassName);
    Registry().push_back(std::move(graphicClass));
}

void UnregisterGraphicClass(const std::string& className) {
    auto& r = Registry();
    r.erase(std::remove_if(r.begin(), r.end(),
                           [&](const TGraphicClass& c) { return c.ClassName == className; }),
            r.end());
}

const TGraphicClass* FindGraphicClassByExtension(const std::string& extension) {
    const std::string wanted = Upper(extension);
    for (const TGraphicClass& c : Registry())
        if (Upper(c.Extension) == wanted)
            return &c;
    return nullptr;
}

const TGraphicClass* FindGraphicClassByName(const std::string& className) {
    for (const TGraphicClass& c : Registry())
        if (c.ClassName == className)
            return &c;
    return nullptr;
}

std::vector<TGraphicClass> GraphicClasses() {
    return Registry();
}

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::string extension = ExtensionOf(fileName);
    const TGraphicClass* graphicClass = FindGraphicClassByExtension(extension);
    if (!graphicClass)
        throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    std::unique_ptr<TGraphic> graphic = graphicClass->Create();
    graphic->LoadFromFile(fileName);
    FGraphic = std::move(graphic); // the old picture stays when reading fails
}

void TPicture::Assign(const TPicture& source) {
    if (&source == this)
        return;
    const TGraphic* graphic = source.FGraphic.get();
    if (!graphic) {
        FGraphic.reset();
        return;
    }
    const TGraphicClass* graphicClass = FindGraphicClassByName(graphic->GraphicClassName());
    if (!graphicClass)
        throw EInvalidGraphic("Unknown picture class " + graphic->GraphicClassName());
    std::unique_ptr<TGraphic> copy = graphicClass->Create();
    copy->Assign(graphic);
    FGraphic = std::move(copy);
}

void TPicture::ReadData(TStream& stream) {
    uint8_t length = 0;
    stream.ReadBuffer(&length, 1);
    std::string className(length, '\0');
    stream.ReadBuffer(className.data(), length);
    const TGraphicClass* graphicClass = FindGraphicClassByName(className);
    if (!graphicClass)
        throw EInvalidGraphic("Unknown picture class " + className);
    std::unique_ptr<TGraphic> graphic = graphicClass->Create();
    graphic->LoadFromStream(stream);
    FGraphic = std::move(graphic);
}

void TPicture::WriteData(TStream& stream) const {
    const std::string className = FGraphic ? FGraphic->GraphicClassName() : std::string();
    if (className.size() > 255)
        throw EInvalidGraphic("Picture class name too long: " + className);
    const auto length = static_cast<uint8_t>(className.size());
    stream.WriteBuffer(&length, 1);
    stream.WriteBuffer(className.data(), length);
    if (FGraphic)
        FGraphic->SaveToStream(stream);
}
