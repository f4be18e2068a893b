// The catalogue writer: every code from 0 to MaxErrorCode that has a text,
// in order, between the head and the tail of a template. Free of any window:
// the message lookup and the system's name come in as function objects, so
// the whole file can be produced from a stand-in lookup.
#pragma once

#include <functional>
#include <string>

#include "framework/Classes.h"

// The forms, by the save dialog's filter index.
constexpr int ExportWebPage = 1;
constexpr int ExportPlainText = 2;

// The extension each form's file gets, by filter index; empty for others.
std::string ExportExtension(int filterIndex);
// `name` with its extension (from the last '.' after the last path
// delimiter) replaced by `extension`; a name without one gets it appended.
std::string ChangeFileExt(const std::string& name, const std::string& extension);
// The file an export writes for the name chosen in the dialog: its extension
// forced to the form's; other filter indexes keep the name.
std::string ExportTargetName(const std::string& fileName, int filterIndex);

inline constexpr char SReplaceQuestion[] = "%s already exsits.\r\nDo you want to replace it?";
// The question with the target's full name in place of "%s".
std::string ReplaceQuestion(const std::string& fileName);

// The placeholders of the templates: where the rows go, and the system's name.
inline constexpr char SRowsPlaceholder[] = "%TR%";
inline constexpr char SOSPlaceholder[] = "%OS%";

struct TCatalogSource {
    // The message text of a code, empty when there is none.
    std::function<std::string(int code)> Description;
    // The running system's name, asked once per export.
    std::function<std::string()> OSName;
};

// A template without its "%TR%" line: no rows could be placed.
class EExportTemplateError : public Exception {
public:
    using Exception::Exception;
};

// Writes the catalogue in the form of `filterIndex` (ExportWebPage, any
// other value plain text) into `stream`, through a buffer of its own.
void WriteErrorCatalog(TStream& stream, const std::string& templateText, int filterIndex,
                       const TCatalogSource& source);

// Creates `fileName` (an existing file is emptied) and writes the catalogue.
// A file that cannot be created or written raises with its name and the
// system's reason; what was written before a failure stays in the file.
void ExportErrorCatalog(const std::string& fileName, const std::string& templateText,
                        int filterIndex, const TCatalogSource& source);

// The message text as a row of each form shows it.
std::string WebPageDescription(const std::string& text);
std::string PlainTextDescription(const std::string& text);
