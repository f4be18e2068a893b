#include "components/QorvDataStorage.h"

#include "framework/Published.h"

namespace {
// Size is shown with the other properties but is never stored: form data
// that sets it is refused rather than silently ignored.
TPropInfo SizeProp() {
    return {"Size", "", [](TComponent&, const TFormValue& v, TFormFixups&) {
                TFormFixups::Fail(v.Line, "property Size is read-only");
            }};
}
} // namespace

const TClassInfo& TQorvDataStorage::StaticClass() {
    static const TClassInfo info{
        "TQorvDataStorage", &TComponent::StaticClass(), nullptr, {SizeProp()}};
    return info;
}

const TClassInfo& TQorvTextStorage::StaticClass() {
    static const TClassInfo info{"TQorvTextStorage",
                                 &TQorvDataStorage::StaticClass(),
                                 CreateComponent<TQorvTextStorage>,
                                 {StringsProp("Data.Strings", &TQorvTextStorage::SetDataLines)}};
    return info;
}

void TQorvDataStorage::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileMode::fmOpenRead);
    LoadFromStream(stream);
}

void TQorvDataStorage::SaveToFile(const std::string& fileName) const {
    TFileStream stream(fileName, TFileMode::fmCreate);
    SaveToStream(stream);
}

void TQorvTextStorage::LoadFromStream(TStream& stream) {
    std::string text;
    char chunk[16384];
    for (int32_t n; (n = stream.Read(chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<size_t>(n));
    FData.SetText(text);
}

void TQorvTextStorage::SaveToStream(TStream& stream) const {
    TBufferedOutputStream out(stream);
    for (const std::string& line : FData.Lines()) {
        out.Append(line);
        out.Append("\r\n", 2);
    }
    out.Flush();
}

void RegisterQorvDataStorageClasses() {
    RegisterComponentClass(TQorvTextStorage::StaticClass());
}
