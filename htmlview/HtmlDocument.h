// The document the program's own HTML view shows: what the reader makes of
// XHTML bytes. The reader is tolerant: any bytes give a document, malformed
// markup keeps what can be read. Text stays single-byte: bytes are kept as
// they are and character references are decoded to Windows-1252.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct THtmlAttribute {
    std::string Name;  // lower-case
    std::string Value; // references decoded
};

class THtmlNode {
public:
    enum class TKind { Element, Text };

    THtmlNode(TKind kind, std::string nameOrText);

    TKind Kind;
    std::string Name; // element: lower-case tag name; text: empty
    std::string Text; // text: the decoded bytes, blanks as written; element: empty
    std::vector<THtmlAttribute> Attributes;
    std::vector<std::unique_ptr<THtmlNode>> Children;
    THtmlNode* Parent = nullptr;

    bool IsText() const { return Kind == TKind::Text; }
    bool IsElement(std::string_view name) const;
    // The attribute's value, or nullptr when the element has none of that name.
    const std::string* Attribute(std::string_view name) const;
    // Whether the class attribute lists `name` (compared with letter case).
    bool HasClass(std::string_view name) const;
    // All text below this node, in document order, as written.
    std::string TextContent() const;
    THtmlNode& Append(std::unique_ptr<THtmlNode> child);
};

class THtmlDocument {
public:
    THtmlDocument();

    // The text inside "<!DOCTYPE ...>", empty when the document has none.
    std::string Doctype;
    // Holds the top-level nodes (normally one "html" element); named "#document".
    THtmlNode Root;

    // The first title element's text with runs of blanks made one blank and
    // the ends trimmed; empty without one.
    std::string Title() const;
    // The first element of that name in document order, or nullptr.
    const THtmlNode* Find(std::string_view name) const;
};

// Reads a document from its bytes. Never fails on content.
std::unique_ptr<THtmlDocument> LoadHtmlDocument(std::string_view bytes);
