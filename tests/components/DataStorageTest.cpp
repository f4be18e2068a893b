#include "components/QorvDataStorage.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "framework/FormReader.h"

namespace {

std::vector<std::string> Lines(std::initializer_list<const char*> lines) {
    return {lines.begin(), lines.end()};
}

std::string Saved(const TQorvTextStorage& storage) {
    TMemoryStream stream;
    storage.SaveToStream(stream);
    return {stream.Bytes().begin(), stream.Bytes().end()};
}

std::vector<std::string> Loaded(const std::string& bytes) {
    TQorvTextStorage storage(nullptr);
    storage.SetDataLines(Lines({"old"}));
    TMemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    storage.LoadFromStream(stream);
    return storage.Data().Lines();
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

} // namespace

TEST(TextStorage, SizeIsTheJoinedTextWithEveryLineEnd) {
    TQorvTextStorage storage(nullptr);
    EXPECT_EQ(storage.Size(), 0);
    EXPECT_EQ(storage.Data().Text(), "");
    storage.SetDataLines(Lines({"a", "bc"}));
    EXPECT_EQ(storage.Size(), 7);
    EXPECT_EQ(storage.Data().Text(), "a\r\nbc\r\n");
    EXPECT_EQ(Saved(storage), "a\r\nbc\r\n");
    storage.Clear();
    EXPECT_EQ(storage.Size(), 0);
    EXPECT_EQ(Saved(storage), "");
}

TEST(TextStorage, LoadingSplitsAtCrLfOrCrLfAndKeepsAnUnendedLastLine) {
    EXPECT_EQ(Loaded("a\rb\nc\r\nd"), Lines({"a", "b", "c", "d"}));
    EXPECT_EQ(Loaded("a\r\n\r\n"), Lines({"a", ""}));
    EXPECT_EQ(Loaded("\n\r\r\n"), Lines({"", "", ""}));
    EXPECT_EQ(Loaded("\n\r"), Lines({"", ""})); // LF then CR: two line ends, not one
    EXPECT_EQ(Loaded(""), Lines({}));
    EXPECT_EQ(Loaded("\t x\xE9\x80"), Lines({"\t x\xE9\x80"}));

    // Only what remains of the stream is read.
    TQorvTextStorage storage(nullptr);
    TMemoryStream stream(std::vector<uint8_t>{'s', 'k', 'i', 'p', '\n', 'k', 'e', 'e', 'p'});
    stream.SetPosition(5);
    storage.LoadFromStream(stream);
    EXPECT_EQ(storage.Data().Lines(), Lines({"keep"}));
}

TEST(TextStorage, SavedFileLoadsBackWithTrailingEmptyLines) {
    const std::string path = TempPath("qorv_text_storage.txt");
    TQorvTextStorage out(nullptr);
    out.SetDataLines(Lines({"a", "", "\tb  ", ""}));
    out.SaveToFile(path);
    EXPECT_EQ(std::filesystem::file_size(path), 13u);

    TQorvTextStorage in(nullptr);
    in.LoadFromFile(path);
    EXPECT_EQ(in.Data().Lines(), out.Data().Lines());

    // Saving again truncates what the longer file held.
    out.SetDataLines(Lines({"a", ""}));
    out.SaveToFile(path);
    in.LoadFromFile(path);
    EXPECT_EQ(in.Data().Lines(), Lines({"a", ""}));
    std::filesystem::remove(path);
}

TEST(TextStorage, FilesThatCannotBeOpenedRaiseWithTheirNameAndLeaveTheLines) {
    TQorvTextStorage storage(nullptr);
    storage.SetDataLines(Lines({"kept"}));
    const std::string missing = TempPath("qorv_no_such_folder") + "/x.txt";
    try {
        storage.LoadFromFile(missing);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find(missing), std::string::npos) << e.Message();
        EXPECT_NE(e.ErrorCode(), 0u);
    }
    EXPECT_EQ(storage.Data().Lines(), Lines({"kept"}));
    EXPECT_THROW(storage.SaveToFile(missing), EFOpenError);
}

TEST(TextStorage, WritingDataCopiesTheLines) {
    TStringList source(Lines({"one", "two"}));
    TQorvTextStorage storage(nullptr);
    const TStringList* owned = &storage.Data();
    storage.SetData(source);
    source.Add("three");
    source.SetText("changed");
    EXPECT_EQ(&storage.Data(), owned);
    EXPECT_EQ(storage.Data().Lines(), Lines({"one", "two"}));
    storage.SetData(storage.Data()); // assigning itself keeps the lines
    EXPECT_EQ(storage.Data().Count(), 2);
    EXPECT_THROW(storage.Data()[2], ERangeError);
}

namespace {
class THolder : public TComponent {
    QORV_COMPONENT_CLASS
public:
    THolder() : TComponent(nullptr) {}
    void ReadChild(TComponent*) override {} // owned, as a form owns its components
};
const TClassInfo& THolder::StaticClass() {
    static const TClassInfo info{"THolder", &TComponent::StaticClass(), nullptr, {}};
    return info;
}

std::string ReadHolder(THolder& holder, const std::string& text) {
    RegisterQorvDataStorageClasses();
    try {
        ReadFormData(holder, text, TMethodTable());
    } catch (const EFormDataError& e) {
        return e.Message();
    }
    return "";
}
} // namespace

TEST(TextStorage, FormDataKeepsEveryCharacterOfEveryLine) {
    THolder holder;
    ASSERT_EQ(ReadHolder(holder, "object H: THolder\n"
                                 "  object ts: TQorvTextStorage\n"
                                 "    Tag = 3\n"
                                 "    Data.Strings = (\n"
                                 "      '<td class=\"E\">'#9'tab'\n"
                                 "      ''\n"
                                 "      '    four blanks, it''s quoted'\n"
                                 "      'caf\xE9 '#233#$80\n"
                                 "      'a long line ' +\n"
                                 "        'joined'\n"
                                 "      '%TR%'\n"
                                 "      '')\n"
                                 "  end\n"
                                 "end\n"),
              "");
    auto* ts = dynamic_cast<TQorvTextStorage*>(holder.FindComponent("ts"));
    ASSERT_TRUE(ts);
    EXPECT_EQ(ts->Tag(), 3);
    EXPECT_EQ(ts->Data().Lines(),
              Lines({"<td class=\"E\">\ttab", "", "    four blanks, it's quoted",
                     "caf\xE9 \xE9\x80", "a long line joined", "%TR%", ""}));

    THolder sized;
    EXPECT_NE(ReadHolder(sized, "object H: THolder\n"
                                "  object ts: TQorvTextStorage\n"
                                "    Size = 7\n"
                                "  end\n"
                                "end\n")
                  .find("line 3: property Size is read-only"),
              std::string::npos);
}
