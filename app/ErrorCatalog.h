// The error catalogue's text rules, free of any window: the range of codes,
// a message text made into one list row, and the text Copy puts on the
// clipboard.
#pragma once

#include <string>

constexpr int MaxErrorCode = 16383;

inline constexpr char SCodeLabel[] = "Code: ";
inline constexpr char SDescriptionLabel[] = "Description: ";

// Every CR LF pair becomes `by`; a lone CR or LF stays as it is.
std::string ReplaceLineBreaks(const std::string& text, const std::string& by);
// Every CR LF pair becomes one blank; a lone CR or LF stays as it is.
std::string FlattenLineBreaks(const std::string& text);

// "Code: " + the field's text + CR LF + "Description: " + the message text.
std::string ClipboardText(const std::string& codeText, const std::string& description);
