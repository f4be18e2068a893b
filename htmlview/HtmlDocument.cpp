#include "htmlview/HtmlDocument.h"

THtmlNode::THtmlNode(TKind kind, std::string nameOrText) : Kind(kind) {
    (kind == TKind::Element ? Name : Text) = std::move(nameOrText);
}

bool THtmlNode::IsElement(std::string_view name) const {
    return Kind == TKind::Element && Name == name;
}

const std::string* THtmlNode::Attribute(std::string_view name) const {
    for (const THtmlAttribute& a : Attributes)
        if (a.Name == name)
            return &a.Value;
    return nullptr;
}

bool THtmlNode::HasClass(std::string_view name) const {
    const std::string* list = Attribute("class");
    if (!list || name.empty())
        return false;
    std::string_view rest = *list;
    while (!rest.empty()) {
        const size_t start = rest.find_first_not_of(" \t\r\n\f");
        if (start == std::string_view::npos)
            break;
        rest.remove_prefix(start);
        const size_t end = std::min(rest.find_first_of(" \t\r\n\f"), rest.size());
        if (rest.substr(0, end) == name)
            return true;
        rest.remove_prefix(end);
    }
    return false;
}

std::string THtmlNode::TextContent() const {
    if (IsText())
        return Text;
    std::string out;
    for (const auto& child : Children)
        out += child->TextContent();
    return out;
}

THtmlNode& THtmlNode::Append(std::unique_ptr<THtmlNode> child) {
    child->Parent = this;
    Children.push_back(std::move(child));
    return *Children.back();
}

THtmlDocument::THtmlDocument() : Root(THtmlNode::TKind::Element, "#document") {}

namespace {
const THtmlNode* FindBelow(const THtmlNode& node, std::string_view name) {
    for (const auto& child : node.Children) {
        if (child->IsElement(name))
            return child.get();
        if (const THtmlNode* found = FindBelow(*child, name))
            return found;
    }
    return nullptr;
}
} // namespace

const THtmlNode* THtmlDocument::Find(std::string_view name) const {
    return FindBelow(Root, name);
}

std::string THtmlDocument::Title() const {
    const THtmlNode* title = Find("title");
    if (!title)
        return {};
    std::string out;
    bool blank = false;
    for (char c : title->TextContent()) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}
