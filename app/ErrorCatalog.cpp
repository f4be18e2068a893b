#include "app/ErrorCatalog.h"

std::string ReplaceLineBreaks(const std::string& text, const std::string& by) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += by;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string FlattenLineBreaks(const std::string& text) {
    return ReplaceLineBreaks(text, " ");
}

std::string ClipboardText(const std::string& codeText, const std::string& description) {
    return SCodeLabel + codeText + "\r\n" + SDescriptionLabel + description;
}
