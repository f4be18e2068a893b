// The tolerant XHTML reader: one pass over the bytes, a stack of open
// elements. Whatever cannot be read as markup is kept as text.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "htmlview/HtmlDocument.h"
#include "htmlview/HtmlText.h"

namespace {

// Deeper markup is attached at this depth: the tree and everything that walks
// it recursively stay within a bounded stack.
constexpr size_t MaxDepth = 200;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':' || c == '.';
}

// Elements that never have content, written with or without "/>".
bool IsVoid(std::string_view name) {
    static const char* const names[] = {"br",       "hr",    "img",     "meta", "link",
                                        "input",    "col",   "area",    "base", "param",
                                        "basefont", "frame", "isindex", "wbr"};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* n) { return name == n; });
}

// Elements whose content is read up to their end tag without markup.
bool IsRawText(std::string_view name) {
    return name == "style" || name == "script" || name == "textarea" || name == "xmp";
}

// Elements a new start tag of a row, cell, list item or paragraph does not
// close past when it ends an earlier one left open, as HTML does.
bool IsScopeBoundary(std::string_view name) {
    return name == "table" || name == "thead" || name == "tbody" || name == "tfoot" ||
           name == "ul" || name == "ol" || name == "body" || name == "html";
}

class TReader {
public:
    explicit TReader(std::string_view in, THtmlDocument& doc) : S(in), Doc(doc) {
        Open.push_back(&doc.Root);
    }

    void Run() {
        while (P < S.size()) {
            if (S[P] == '<' && Markup())
                continue;
            Text();
        }
    }

private:
    std::string_view S;
    size_t P = 0;
    THtmlDocument& Doc;
    std::vector<THtmlNode*> Open;

    bool StartsWithAt(size_t at, std::string_view what, bool ignoreCase) const {
        if (S.size() - at < what.size())
            return false;
        for (size_t i = 0; i < what.size(); ++i) {
            char a = S[at + i], b = what[i];
            if (ignoreCase)
                a = HtmlLower(a), b = HtmlLower(b);
            if (a != b)
                return false;
        }
        return true;
    }

    size_t FindFrom(size_t at, std::string_view what) const {
        const size_t found = S.find(what, at);
        return found == std::string_view::npos ? S.size() : found;
    }

    THtmlNode& Current() { return *Open.back(); }

    void AddText(std::string text) {
        if (text.empty())
            return;
        THtmlNode& parent = Current();
        if (!parent.Children.empty() && parent.Children.back()->IsText())
            parent.Children.back()->Text += text;
        else
            parent.Append(std::make_unique<THtmlNode>(THtmlNode::TKind::Text, std::move(text)));
    }

    void Text() {
        // A '<' that starts no markup is text; so is everything up to the next '<'.
        const size_t end = std::min(S.find('<', P + 1), S.size());
        AddText(DecodeHtmlReferences(S.substr(P, end - P)));
        P = end;
    }

    // Reads the markup at P ('<'); false when it is not markup after all.
    bool Markup() {
        if (StartsWithAt(P, "<!--", false)) {
            const size_t end = S.find("-->", P + 4);
            P = end == std::string_view::npos ? S.size() : end + 3;
            return true;
        }
        if (StartsWithAt(P, "<![CDATA[", false)) {
            const size_t end = FindFrom(P + 9, "]]>");
            AddText(std::string(S.substr(P + 9, end - P - 9)));
            P = std::min(end + 3, S.size());
            return true;
        }
        if (StartsWithAt(P, "<!", false) || StartsWithAt(P, "<?", false)) {
            const size_t end = FindFrom(P + 2, ">");
            if (StartsWithAt(P, "<!doctype", true) && Doc.Doctype.empty())
                Doc.Doctype = HtmlTrim(S.substr(P + 9, end - P - 9));
            P = std::min(end + 1, S.size());
            return true;
        }
        if (StartsWithAt(P, "</", false) && P + 2 < S.size() && IsNameStart(S[P + 2])) {
            EndTag();
            return true;
        }
        if (P + 1 < S.size() && IsNameStart(S[P + 1])) {
            StartTag();
            return true;
        }
        return false;
    }

    std::string Name() {
        const size_t start = P;
        while (P < S.size() && IsNameChar(S[P]))
            ++P;
        return HtmlLowerCopy(S.substr(start, P - start));
    }

    void SkipBlanks() {
        while (P < S.size() && IsBlank(S[P]))
            ++P;
    }

    void EndTag() {
        P += 2;
        const std::string name = Name();
        P = std::min(FindFrom(P, ">") + 1, S.size());
        // Close up to the innermost open element of that name; a stray end tag is dropped.
        for (size_t i = Open.size(); i-- > 1;) {
            if (Open[i]->Name == name) {
                Open.resize(i);
                return;
            }
        }
    }

    void StartTag() {
        ++P;
        auto element = std::make_unique<THtmlNode>(THtmlNode::TKind::Element, Name());
        bool selfClosing = false;
        while (P < S.size()) {
            SkipBlanks();
            if (P >= S.size())
                break;
            if (S[P] == '>') {
                ++P;
                break;
            }
            if (S[P] == '/') {
                ++P;
                if (P < S.size() && S[P] == '>') {
                    selfClosing = true;
                    ++P;
                    break;
                }
                continue;
            }
            Attribute(*element);
        }
        const std::string name = element->Name;
        ImpliedCloses(name);
        THtmlNode& added = Current().Append(std::move(element));
        if (selfClosing || IsVoid(name))
            return;
        if (IsRawText(name)) {
            RawText(added);
            return;
        }
        if (Open.size() <= MaxDepth)
            Open.push_back(&added);
    }

    void Attribute(THtmlNode& element) {
        const size_t start = P;
        while (P < S.size() && !IsBlank(S[P]) && S[P] != '=' && S[P] != '>' && S[P] != '/')
            ++P;
        if (P == start) { // a stray '=' or the like
            ++P;
            return;
        }
        std::string name = HtmlLowerCopy(S.substr(start, P - start));
        std::string value;
        SkipBlanks();
        if (P < S.size() && S[P] == '=') {
            ++P;
            SkipBlanks();
            if (P < S.size() && (S[P] == '"' || S[P] == '\'')) {
                const char quote = S[P++];
                const size_t end = std::min(S.find(quote, P), S.size());
                value = DecodeHtmlReferences(S.substr(P, end - P));
                P = std::min(end + 1, S.size());
            } else {
                const size_t from = P;
                while (P < S.size() && !IsBlank(S[P]) && S[P] != '>')
                    ++P;
                value = DecodeHtmlReferences(S.substr(from, P - from));
            }
        }
        if (!element.Attribute(name))
            element.Attributes.push_back({std::move(name), std::move(value)});
    }

    void RawText(THtmlNode& element) {
        size_t end = P;
        while (true) {
            end = FindFrom(end, "</");
            if (end >= S.size() || StartsWithAt(end + 2, element.Name, true))
                break;
            end += 2;
        }
        if (end > P)
            element.Append(std::make_unique<THtmlNode>(THtmlNode::TKind::Text,
                                                       std::string(S.substr(P, end - P))));
        P = end < S.size() ? std::min(FindFrom(end, ">") + 1, S.size()) : S.size();
    }

    void ImpliedCloses(std::string_view name) {
        const bool cell = name == "td" || name == "th";
        if (!cell && name != "tr" && name != "li" && name != "p")
            return;
        for (size_t i = Open.size(); i-- > 1;) {
            const std::string& open = Open[i]->Name;
            if (cell ? open == "td" || open == "th" : open == name) {
                Open.resize(i);
                return;
            }
            if (IsScopeBoundary(open) || (cell && open == "tr"))
                return;
        }
    }
};

} // namespace

std::unique_ptr<THtmlDocument> LoadHtmlDocument(std::string_view bytes) {
    auto doc = std::make_unique<THtmlDocument>();
    TReader(bytes, *doc).Run();
    return doc;
}
