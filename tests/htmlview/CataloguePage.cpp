#include "CataloguePage.h"

#include "app/ErrorCatalog.h"
#include "app/ErrorExport.h"
#include "framework/Classes.h"
#include "framework/FormData.h"

namespace {

uint32_t Mix(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352d;
    x ^= x >> 15;
    x *= 0x846ca68b;
    return x ^ (x >> 16);
}

const char* const Words[] = {"The",       "system",     "cannot",
                             "find",      "the",        "file",
                             "specified", "access",     "is",
                             "denied",    "handle",     "invalid",
                             "not",       "enough",     "storage",
                             "available", "to",         "process",
                             "this",      "command",    "drive",
                             "directory", "device",     "does",
                             "recognize", "data",       "error",
                             "operation", "completed",  "successfully",
                             "network",   "path",       "was",
                             "found",     "request",    "could",
                             "be",        "performed",  "because",
                             "of",        "an",         "I/O",
                             "parameter", "incorrect",  "semaphore",
                             "timeout",   "period",     "has",
                             "expired",   "%1",         "(0x%2)",
                             "<name>",    "&",          "service",
                             "registry",  "key",        "configuration",
                             "security",  "account",    "password",
                             "domain",    "controller", "cluster"};

} // namespace

std::string StandInDescription(int code) {
    const uint32_t h = Mix(static_cast<uint32_t>(code) + 1);
    // Low codes are mostly known, high ones sparse, as in the system's table.
    const bool known = code == 0 || (code < 1400 ? h % 3 != 0 : h % 12 == 0);
    if (!known)
        return {};
    std::string text;
    const int lines = h % 11 == 0 ? 2 + static_cast<int>(h >> 8) % 3 : 1;
    uint32_t r = h;
    for (int line = 0; line < lines; ++line) {
        const int words = 3 + static_cast<int>((r = Mix(r)) % 30);
        for (int w = 0; w < words; ++w) {
            text += Words[(r = Mix(r)) % (sizeof Words / sizeof *Words)];
            text += w + 1 < words ? " " : ".";
        }
        text += "\r\n";
    }
    return text;
}

int StandInRowCount() {
    int rows = 0;
    for (int code = 0; code <= MaxErrorCode; ++code)
        rows += !StandInDescription(code).empty();
    return rows;
}

std::string CataloguePage(const std::string& osName) {
    TFileStream file(QORV_FORMMAIN_FRM, TFileMode::fmOpenRead);
    std::string form(static_cast<size_t>(file.Size()), '\0');
    file.ReadBuffer(form.data(), static_cast<int32_t>(form.size()));
    std::string templateText;
    for (const TFormObject& child : ParseFormData(form).Children)
        if (child.Name == "tsExportHTM")
            for (const std::string& line : child.Props.at(0).second.Items)
                templateText += line + "\r\n";
    TMemoryStream page;
    WriteErrorCatalog(page, templateText, ExportWebPage,
                      {StandInDescription, [&] { return osName; }});
    return {page.Bytes().begin(), page.Bytes().end()};
}
