#include "htmlview/HtmlText.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "framework/SysUtils.h"

std::string HtmlLowerCopy(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = HtmlLower(c);
    return out;
}

bool HtmlSameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return HtmlLower(x) == HtmlLower(y);
           });
}

std::string HtmlTrim(std::string_view text) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
    };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

namespace {

// Code points of bytes 0x80..0x9F in Windows-1252; 0 where the byte is unused.
constexpr uint16_t HighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ByteOfCodePoint(uint32_t cp) {
    if (cp == 0)
        return '?';
    // Numeric references in 0x80..0x9F name the code page's own characters there,
    // as browsers read them; the rest of the first 256 are Latin-1, which the code page keeps.
    if (cp <= 0xFF)
        return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i)
        if (HighControls[i] == cp)
            return static_cast<char>(0x80 + i);
    return '?';
}

struct TEntity {
    const char* Name;
    uint16_t CodePoint;
};

// The entity names whose characters Windows-1252 holds; the Latin-1 ones
// (nbsp to yuml) follow the code page's own order from 0xA0.
constexpr TEntity Entities[] = {
    {"quot", 34},       {"amp", 38},        {"apos", 39},       {"lt", 60},
    {"gt", 62},         {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},
    {"scaron", 0x161},  {"Yuml", 0x178},    {"fnof", 0x192},    {"circ", 0x2C6},
    {"tilde", 0x2DC},   {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},
    {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},
    {"bdquo", 0x201E},  {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},
    {"hellip", 0x2026}, {"permil", 0x2030}, {"lsaquo", 0x2039}, {"rsaquo", 0x203A},
    {"euro", 0x20AC},   {"trade", 0x2122},  {"Zcaron", 0x17D},  {"zcaron", 0x17E}};

constexpr const char* Latin1[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

// The code point of a named entity (names compare with letter case), or -1.
long NamedEntity(std::string_view name) {
    for (const TEntity& e : Entities)
        if (name == e.Name)
            return e.CodePoint;
    for (int i = 0; i < 96; ++i)
        if (name == Latin1[i])
            return 0xA0 + i;
    return -1;
}

int DigitValue(char c, int base) {
    const int v = HexDigitValue(c);
    return v < base ? v : -1;
}

// Decodes the reference at text[0] == '&'; returns the bytes it took, 0 when
// it is no reference.
size_t DecodeOne(std::string_view text, std::string& out) {
    if (text.size() >= 3 && text[1] == '#') {
        const bool hex = text[2] == 'x' || text[2] == 'X';
        const int base = hex ? 16 : 10;
        size_t i = hex ? 3 : 2;
        const size_t first = i;
        uint32_t cp = 0;
        for (; i < text.size() && DigitValue(text[i], base) >= 0; ++i)
            cp = std::min<uint32_t>(cp * base + DigitValue(text[i], base), 0x110000);
        if (i == first)
            return 0;
        if (i < text.size() && text[i] == ';')
            ++i;
        out += ByteOfCodePoint(cp);
        return i;
    }
    size_t i = 1;
    while (i < text.size() && i <= 8 &&
           ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z') ||
            (text[i] >= '0' && text[i] <= '9')))
        ++i;
    if (i == 1 || i >= text.size() || text[i] != ';')
        return 0;
    const long cp = NamedEntity(text.substr(1, i - 1));
    if (cp < 0)
        return 0;
    out += ByteOfCodePoint(static_cast<uint32_t>(cp));
    return i + 1;
}

} // namespace

std::string DecodeHtmlReferences(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const size_t amp = text.find('&');
        out.append(text.substr(0, std::min(amp, text.size())));
        if (amp == std::string_view::npos)
            break;
        text.remove_prefix(amp);
        const size_t used = DecodeOne(text, out);
        if (used == 0) {
            out += '&';
            text.remove_prefix(1);
        } else {
            text.remove_prefix(used);
        }
    }
    return out;
}
