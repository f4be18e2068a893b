// Non-visual components that carry data inside a window's form data, so that
// a program ships its texts as part of a window rather than as loose files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Components.h"

// The base of such data holders: clearing, loading and saving through a file
// or a stream, and the data's size. It holds nothing itself.
class TQorvDataStorage : public TComponent {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvDataStorage(TComponent* owner) : TComponent(owner) {}

    virtual int64_t GetSize() const { return 0; }
    virtual void Clear() {}
    // Opening or creating failures raise EFOpenError naming the file; the
    // data is left as it was when the file cannot be opened.
    virtual void LoadFromFile(const std::string& fileName);
    virtual void LoadFromStream(TStream&) {}
    virtual void SaveToFile(const std::string& fileName) const;
    virtual void SaveToStream(TStream&) const {}

    int64_t Size() const { return GetSize(); }
};

// Lines of single-byte text, stored in form data as Data.Strings, one string
// per line, every character kept.
class TQorvTextStorage : public TQorvDataStorage {
    QORV_COMPONENT_CLASS
public:
    explicit TQorvTextStorage(TComponent* owner) : TQorvDataStorage(owner) {}

    // The owned list; writing copies the lines, the list itself stays.
    const TStringList& Data() const { return FData; }
    void SetData(const TStringList& lines) { FData.Assign(lines); }
    void SetDataLines(const std::vector<std::string>& lines) { FData.SetLines(lines); }

    // The length of the joined text: each line and its CR LF.
    int64_t GetSize() const override { return static_cast<int64_t>(FData.TextLength()); }
    void Clear() override { FData.Clear(); }
    // All that remains of the stream, split at CR, LF or CR LF.
    void LoadFromStream(TStream& stream) override;
    // The joined text as bytes, no header, no byte-order mark.
    void SaveToStream(TStream& stream) const override;

private:
    TStringList FData;
};

// The classes form data may name.
void RegisterQorvDataStorageClasses();
