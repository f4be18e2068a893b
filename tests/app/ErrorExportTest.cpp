#include "app/ErrorExport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/ErrorCatalog.h"
#include "framework/FormData.h"

namespace {

// A stand-in message table: the codes it holds, nothing else.
TCatalogSource Source(std::map<int, std::string> texts, std::string os = "Windows 7") {
    return {[texts = std::move(texts)](int code) {
                auto it = texts.find(code);
                return it == texts.end() ? std::string() : it->second;
            },
            [os = std::move(os)] { return os; }};
}

std::string Written(const std::string& templateText, int filterIndex,
                    const TCatalogSource& source) {
    TMemoryStream stream;
    WriteErrorCatalog(stream, templateText, filterIndex, source);
    return {stream.Bytes().begin(), stream.Bytes().end()};
}

const std::string SPage = "<title>%OS% list</title>\r\n"
                          "<h1>%os% and %Os%</h1>\r\n"
                          "%TR%\r\n"
                          "</table>%OS%\r\n";
const std::string SText = "%OS% Error Codes\r\n"
                          "\r\n"
                          "Code\tDescription\r\n"
                          "%TR%\r\n"
                          "\r\n"
                          "Generated\r\n";

} // namespace

TEST(ErrorExport, WebPageRowsAlternateOverWrittenRowsOnly) {
    const std::string page = Written(
        SPage, ExportWebPage,
        Source(
            {{0, "Done.\r\n"}, {2, "a < b & c\r\ntwo\r\n"}, {5, "no end"}, {16383, "last\r\n"}}));
    EXPECT_EQ(page, "<title>Windows 7 list</title>\r\n"
                    "<h1>Windows 7 and Windows 7</h1>\r\n"
                    "<tr><td class=\"E\">0</td><td class=\"E\">Done.<br /></td></tr>\r\n"
                    "<tr><td>2</td><td>a < b & c<br />two<br /></td></tr>\r\n"
                    "<tr><td class=\"E\">5</td><td class=\"E\">no end</td></tr>\r\n"
                    "<tr><td>16383</td><td>last<br /></td></tr>\r\n"
                    "\r\n"
                    "</table>%OS%\r\n");
}

TEST(ErrorExport, TextRowsDropTheLastLineEndAndIndentContinuations) {
    const std::string text =
        Written(SText, ExportPlainText,
                Source({{1, "one\r\n"}, {7, "first\r\nsecond\r\n"}, {9, "lone\rcr\nlf\r\n\r\n"}},
                       "Windows XP Professional"));
    EXPECT_EQ(text, "Windows XP Professional Error Codes\r\n"
                    "\r\n"
                    "Code\tDescription\r\n"
                    "1\tone\r\n"
                    "7\tfirst\r\n\tsecond\r\n"
                    "9\tlone\rcr\nlf\r\n\t\r\n"
                    "\r\n"
                    "\r\n"
                    "Generated\r\n");
    // Any index but the web page's writes text.
    EXPECT_EQ(Written(SText, 7, Source({{1, "one\r\n"}}, "X")),
              Written(SText, ExportPlainText, Source({{1, "one\r\n"}}, "X")));
}

TEST(ErrorExport, NoTextAtAllGivesHeadEmptyLineAndTail) {
    EXPECT_EQ(Written(SText, ExportPlainText, Source({}, "W")),
              "W Error Codes\r\n\r\nCode\tDescription\r\n\r\n\r\nGenerated\r\n");
    EXPECT_EQ(Written("%TR%", ExportWebPage, Source({})), "");
}

TEST(ErrorExport, EveryCodeIsAskedOnceInOrder) {
    std::vector<int> asked;
    int osAsked = 0;
    const TCatalogSource source{[&](int code) {
                                    asked.push_back(code);
                                    return std::string();
                                },
                                [&] {
                                    ++osAsked;
                                    return std::string("W");
                                }};
    Written(SPage, ExportWebPage, source);
    ASSERT_EQ(asked.size(), static_cast<size_t>(MaxErrorCode + 1));
    for (int i = 0; i <= MaxErrorCode; ++i)
        ASSERT_EQ(asked[static_cast<size_t>(i)], i);
    EXPECT_EQ(osAsked, 1);
}

TEST(ErrorExport, OnlyTheFirstExactRowsPlaceholderSplitsTheTemplate) {
    // "%tr%" is not the placeholder; a second "%TR%" belongs to the tail; a
    // name holding "%OS%" is not looked at again.
    EXPECT_EQ(Written("%os%|%tr%|%TR%|%TR%", ExportPlainText, Source({{3, "x"}}, "[%OS%]")),
              "[%OS%]|%tr%|3\tx\r\n|%TR%");
}

TEST(ErrorExport, TheTargetTakesTheFormsExtensionAfterTheLastDelimiter) {
    EXPECT_EQ(ExportTargetName("C:\\out\\errors.html", ExportWebPage), "C:\\out\\errors.htm");
    EXPECT_EQ(ExportTargetName("errors.txt", ExportWebPage), "errors.htm");
    EXPECT_EQ(ExportTargetName("REPORT.HTM", ExportWebPage), "REPORT.htm");
    EXPECT_EQ(ExportTargetName("report", ExportPlainText), "report.txt");
    EXPECT_EQ(ExportTargetName("C:\\my.folder\\report", ExportPlainText),
              "C:\\my.folder\\report.txt");
    EXPECT_EQ(ExportTargetName("C:report", ExportPlainText), "C:report.txt");
    EXPECT_EQ(ExportTargetName("a.b.c", ExportPlainText), "a.b.txt");
    EXPECT_EQ(ExportTargetName("", ExportPlainText), ".txt");
    EXPECT_EQ(ExportTargetName("list.htm", 3), "list.htm");
    EXPECT_EQ(ReplaceQuestion("C:\\e.htm"),
              "C:\\e.htm already exsits.\r\nDo you want to replace it?");
}

TEST(ErrorExport, FilesAreWrittenWholeAndFailuresNameTheFile) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "qorv_export_test";
    fs::remove_all(dir);
    fs::create_directories(dir / "taken.htm");
    const std::string file = (dir / "errors.txt").string();
    {
        TFileStream old(file, TFileMode::fmCreate);
        old.WriteBuffer("a much longer old content that must go", 38);
    }
    ExportErrorCatalog(file, SText, ExportPlainText, Source({{1, "one\r\n"}}, "W"));
    EXPECT_EQ(fs::file_size(file),
              Written(SText, ExportPlainText, Source({{1, "one\r\n"}}, "W")).size());

    // A folder standing under the target's name.
    const std::string taken = (dir / "taken.htm").string();
    try {
        ExportErrorCatalog(taken, SPage, ExportWebPage, Source({}));
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_NE(e.Message().find(taken), std::string::npos) << e.Message();
    }

    // A write the system refuses part-way (a full disk) raises with the
    // file's name and the reason; no success is reported.
    if (fs::exists("/dev/full")) {
        try {
            ExportErrorCatalog("/dev/full", SText, ExportPlainText,
                               Source({{1, std::string(200000, 'x')}}));
            ADD_FAILURE() << "a full disk was reported as success";
        } catch (const EOSError& e) {
            EXPECT_NE(e.Message().find("Cannot write to file \"/dev/full\""), std::string::npos)
                << e.Message();
            EXPECT_GT(e.Message().size(), 40u) << e.Message(); // the system's reason follows
        }
    }

    // A template without its rows line touches no file.
    const std::string untouched = (dir / "untouched.htm").string();
    EXPECT_THROW(ExportErrorCatalog(untouched, "no rows", ExportWebPage, Source({})),
                 EExportTemplateError);
    EXPECT_FALSE(fs::exists(untouched));

    // A device's name is refused before anything is created, here a file
    // that Windows would have taken for the device.
    const std::string device = (dir / "nul.htm").string();
    try {
        ExportErrorCatalog(device, SPage, ExportWebPage, Source({}));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("reserved for a device"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(fs::exists(device));
    fs::remove_all(dir);
}

namespace {
// The lines of a text storage of the main window's form data.
std::vector<std::string> TemplateLines(const char* name) {
    TFileStream file(QORV_FORMMAIN_FRM, TFileMode::fmOpenRead);
    std::string text(static_cast<size_t>(file.Size()), '\0');
    file.ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
    for (const TFormObject& child : ParseFormData(text).Children)
        if (child.Name == name) {
            EXPECT_EQ(child.ClassName, "TQorvTextStorage");
            EXPECT_EQ(child.Props.at(0).first, "Data.Strings");
            return child.Props.at(0).second.Items;
        }
    ADD_FAILURE() << name << " is not in the form data";
    return {};
}
} // namespace

TEST(ExportTemplates, TheWebPageFramesTheRowsAsOneDocument) {
    const std::vector<std::string> page = TemplateLines("tsExportHTM");
    ASSERT_EQ(page.size(), 93u);
    EXPECT_EQ(page[0], "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
                       "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">");
    EXPECT_EQ(page[3], "  <title>%OS% Error Codes & Descriptions</title>");
    EXPECT_EQ(page[81], "    %OS% Error Codes & Descriptions</h1>");
    EXPECT_EQ(page[85], "%TR%");
    EXPECT_EQ(page[86], "  </table>");
    EXPECT_EQ(page[92], "</html>");
    // The style sheet: every line two blanks deeper per open brace.
    int depth = 0;
    for (size_t i = 5; i < 77; ++i) {
        const std::string& line = page[i];
        const size_t indent = line.find_first_not_of(' ');
        ASSERT_NE(indent, std::string::npos) << "line " << i + 1;
        const std::string text = line.substr(indent);
        if (text == "}")
            --depth;
        EXPECT_EQ(indent, 4u + 2u * static_cast<unsigned>(depth)) << "line " << i + 1;
        if (text == "{" || text.back() == '{')
            ++depth;
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(page[71], "    @media print {");
    EXPECT_EQ(page[75], "      }");
}

TEST(ExportTemplates, TheTextFormHasTenLinesWithTheRowsAtTheFourth) {
    const std::vector<std::string> text = TemplateLines("tsExportTXT");
    ASSERT_EQ(text.size(), 10u);
    EXPECT_EQ(text[0], "%OS% Error Codes & Descriptions");
    EXPECT_EQ(text[2], "Code\tDescription");
    EXPECT_EQ(text[3], "%TR%");
    EXPECT_EQ(text[5], "Generated by Drovanex Vantrel 2006");
    EXPECT_TRUE(text[1].empty() && text[4].empty() && text[7].empty());

    std::string joined;
    for (const std::string& line : text)
        joined += line + "\r\n";
    std::string tail;
    for (size_t i = 4; i < text.size(); ++i)
        tail += text[i] + "\r\n";
    EXPECT_EQ(Written(joined, ExportPlainText, Source({{5, "Access denied.\r\n"}}, "Windows 7")),
              "Windows 7 Error Codes & Descriptions\r\n\r\nCode\tDescription\r\n5\tAccess "
              "denied.\r\n\r\n" +
                  tail);
}
