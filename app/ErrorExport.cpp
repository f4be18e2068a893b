#include "app/ErrorExport.h"

#include <cstring>

#include "app/ErrorCatalog.h"

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Where `pattern` first occurs in `text` from `from`, letter case ignored.
size_t FindIgnoringCase(const std::string& text, const char* pattern, size_t from = 0) {
    const size_t length = std::strlen(pattern);
    for (size_t i = from; i + length <= text.size(); ++i) {
        size_t k = 0;
        while (k < length && LowerAscii(text[i + k]) == LowerAscii(pattern[k]))
            ++k;
        if (k == length)
            return i;
    }
    return std::string::npos;
}

std::string ReplaceAllIgnoringCase(const std::string& text, const char* pattern,
                                   const std::string& by) {
    std::string out;
    size_t from = 0;
    for (size_t at; (at = FindIgnoringCase(text, pattern, from)) != std::string::npos;) {
        out.append(text, from, at - from);
        out += by;
        from = at + std::strlen(pattern);
    }
    out.append(text, from, std::string::npos);
    return out;
}

// Replaces the first `pattern` in `text`, letter case ignored.
void ReplaceFirstIgnoringCase(std::string& text, const char* pattern, const std::string& by) {
    if (const size_t at = FindIgnoringCase(text, pattern); at != std::string::npos)
        text.replace(at, std::strlen(pattern), by);
}

// Where the rows go; a template without the placeholder is refused.
size_t RowsPosition(const std::string& templateText) {
    const size_t at = templateText.find(SRowsPlaceholder);
    if (at == std::string::npos)
        throw EExportTemplateError("The export template has no " + std::string(SRowsPlaceholder) +
                                   " line.");
    return at;
}

const char* const SWebPageRows[2] = {
    R"(<tr><td class="E">%C%</td><td class="E">%D%</td></tr>)",
    R"(<tr><td>%C%</td><td>%D%</td></tr>)",
};
const char SPlainTextRow[] = "%C%\t%D%";

} // namespace

std::string ExportExtension(int filterIndex) {
    switch (filterIndex) {
    case ExportWebPage:
        return ".htm";
    case ExportPlainText:
        return ".txt";
    default:
        return "";
    }
}

std::string ChangeFileExt(const std::string& name, const std::string& extension) {
    const size_t at = name.find_last_of(".\\/:");
    const size_t end = at != std::string::npos && name[at] == '.' ? at : name.size();
    return name.substr(0, end) + extension;
}

std::string ExportTargetName(const std::string& fileName, int filterIndex) {
    const std::string extension = ExportExtension(filterIndex);
    return extension.empty() ? fileName : ChangeFileExt(fileName, extension);
}

std::string ReplaceQuestion(const std::string& fileName) {
    const std::string text = SReplaceQuestion;
    const size_t at = text.find("%s");
    return text.substr(0, at) + fileName + text.substr(at + 2);
}

std::string WebPageDescription(const std::string& text) {
    return ReplaceLineBreaks(text, "<br />");
}

std::string PlainTextDescription(const std::string& text) {
    size_t length = text.size();
    if (length >= 2 && text[length - 2] == '\r' && text[length - 1] == '\n')
        length -= 2;
    std::string out;
    out.reserve(length + 8);
    for (size_t i = 0; i < length; ++i) {
        out += text[i];
        if (text[i] == '\r' && i + 1 < length && text[i + 1] == '\n') {
            out += "\n\t";
            ++i;
        }
    }
    return out;
}

void WriteErrorCatalog(TStream& stream, const std::string& templateText, int filterIndex,
                       const TCatalogSource& source) {
    const size_t rows = RowsPosition(templateText);
    const size_t tail = rows + std::strlen(SRowsPlaceholder);
    const bool webPage = filterIndex == ExportWebPage;

    TBufferedOutputStream out(stream);
    out.Append(
        ReplaceAllIgnoringCase(templateText.substr(0, rows), SOSPlaceholder, source.OSName()));
    std::string row;
    size_t written = 0; // rows written: codes without a text do not count
    for (int code = 0; code <= MaxErrorCode; ++code) {
        const std::string text = source.Description(code);
        if (text.empty())
            continue;
        row = webPage ? SWebPageRows[written % 2] : SPlainTextRow;
        ReplaceFirstIgnoringCase(row, "%C%", IntToStr(code));
        ReplaceFirstIgnoringCase(row, "%D%",
                                 webPage ? WebPageDescription(text) : PlainTextDescription(text));
        row += "\r\n";
        out.Append(row);
        ++written;
    }
    out.Append(templateText.data() + tail, templateText.size() - tail);
    out.Flush();
}

void ExportErrorCatalog(const std::string& fileName, const std::string& templateText,
                        int filterIndex, const TCatalogSource& source) {
    RowsPosition(templateText); // a template fault is found before the file is touched
    if (IsReservedDeviceName(fileName))
        throw Exception("Cannot export to \"" + fileName +
                        "\": the name is reserved for a device. Choose another name.");
    TFileStream file(fileName, TFileMode::fmCreate);
    WriteErrorCatalog(file, templateText, filterIndex, source);
}
