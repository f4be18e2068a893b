#include "framework/FormData.h"

#include <cctype>
#include <charconv>

#include "framework/SysUtils.h"

const char* TFormValue::KindName() const {
    switch (Kind) {
    case TValueKind::Integer:
        return "integer";
    case TValueKind::Float:
        return "number";
    case TValueKind::String:
        return "string";
    case TValueKind::Ident:
        return "identifier";
    case TValueKind::Set:
        return "set";
    case TValueKind::List:
        return "list";
    case TValueKind::Binary:
        return "binary data";
    }
    return "value";
}

namespace {

class TFormParser {
public:
    explicit TFormParser(const std::string& text) : FText(text) {}

    TFormObject ParseRoot() {
        TFormObject root = ParseObject();
        SkipBlanks();
        if (!AtEnd())
            Fail("text after the final 'end'");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw EFormDataError("Form data line " + std::to_string(FLine) + ": " + what);
    }

    bool AtEnd() const { return FPos >= FText.size(); }
    char Peek() const { return AtEnd() ? '\0' : FText[FPos]; }

    void SkipBlanks() {
        while (!AtEnd()) {
            const char c = FText[FPos];
            if (c == '\n')
                ++FLine;
            if (c == '/' && FPos + 1 < FText.size() && FText[FPos + 1] == '/') {
                while (!AtEnd() && FText[FPos] != '\n')
                    ++FPos;
                continue;
            }
            if (!std::isspace(static_cast<unsigned char>(c)))
                break;
            ++FPos;
        }
    }

    static bool IdentChar(char c, bool first) {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_' ||
               (!first && (std::isdigit(static_cast<unsigned char>(c)) || c == '.'));
    }

    std::string Ident(const char* what) {
        SkipBlanks();
        if (!IdentChar(Peek(), true))
            Fail(std::string("expected ") + what);
        const size_t start = FPos;
        while (!AtEnd() && IdentChar(FText[FPos], false))
            ++FPos;
        return FText.substr(start, FPos - start);
    }

    void Expect(char c) {
        SkipBlanks();
        if (Peek() != c)
            Fail(std::string("expected '") + c + "'");
        ++FPos;
    }

    TFormObject ParseObject() {
        TFormObject obj;
        if (Ident("'object'") != "object")
            Fail("expected 'object'");
        obj.Line = FLine;
        obj.Name = Ident("a component name");
        Expect(':');
        obj.ClassName = Ident("a class name");
        for (;;) {
            const std::string word = Ident("a property, 'object' or 'end'");
            if (word == "end")
                return obj;
            if (word == "object") {
                FPos -= 6;
                obj.Children.push_back(ParseObject());
                continue;
            }
            Expect('=');
            SkipBlanks();
            obj.Props.emplace_back(word, ParseValue());
        }
    }

    TFormValue ParseValue() {
        TFormValue v;
        v.Line = FLine;
        const char c = Peek();
        if (c == '\'' || c == '#') {
            v.Kind = TValueKind::String;
            v.Str = ParseString();
        } else if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) {
            const size_t start = FPos;
            v.Kind = TValueKind::Integer;
            v.Int = ParseInteger();
            if (Peek() == '.' || Peek() == 'E' || Peek() == 'e') {
                if (FText[start] == '$' || (FText[start] == '-' && FText[start + 1] == '$'))
                    Fail("a hexadecimal number has no fraction");
                v.Kind = TValueKind::Float;
                v.Float = ParseFraction(start);
            }
        } else if (c == '[') {
            v.Kind = TValueKind::Set;
            ++FPos;
            SkipBlanks();
            while (Peek() != ']') {
                v.Items.push_back(Ident("a set element"));
                SkipBlanks();
                if (Peek() == ',') {
                    ++FPos;
                    SkipBlanks();
                } else if (Peek() != ']') {
                    Fail("expected ',' or ']'");
                }
            }
            ++FPos;
        } else if (c == '(') {
            v.Kind = TValueKind::List;
            ++FPos;
            for (SkipBlanks(); Peek() != ')'; SkipBlanks()) {
                if (Peek() != '\'' && Peek() != '#')
                    Fail("expected a string or ')'");
                v.Items.push_back(ParseString());
            }
            ++FPos;
        } else if (c == '{') {
            v.Kind = TValueKind::Binary;
            ++FPos;
            ParseHex(v.Bytes);
        } else if (IdentChar(c, true)) {
            v.Kind = TValueKind::Ident;
            v.Str = Ident("a value");
        } else {
            Fail("expected a value");
        }
        return v;
    }

    long long ParseInteger() {
        bool negative = false;
        if (Peek() == '-') {
            negative = true;
            ++FPos;
        }
        const int base = Peek() == '$' ? 16 : 10;
        if (base == 16)
            ++FPos;
        long long value = 0;
        size_t digits = 0;
        for (; !AtEnd(); ++FPos, ++digits) {
            const int d = HexDigitValue(FText[FPos]);
            if (d < 0 || d >= base)
                break;
            value = value * base + d;
            if (value > 0xFFFFFFFFLL)
                Fail("number out of range");
        }
        if (digits == 0)
            Fail("expected digits");
        return negative ? -value : value;
    }

    // The rest of a decimal number whose integer part starts at `start`.
    double ParseFraction(size_t start) {
        auto digits = [&] {
            size_t n = 0;
            for (; std::isdigit(static_cast<unsigned char>(Peek())); ++FPos)
                ++n;
            return n;
        };
        if (Peek() == '.') {
            ++FPos;
            digits();
        }
        if (Peek() == 'E' || Peek() == 'e') {
            ++FPos;
            if (Peek() == '+' || Peek() == '-')
                ++FPos;
            if (digits() == 0)
                Fail("expected digits of an exponent");
        }
        double value = 0;
        const char* first = FText.data() + start;
        const auto [end, err] = std::from_chars(first, FText.data() + FPos, value);
        if (err != std::errc() || end != FText.data() + FPos)
            Fail("number out of range");
        return value;
    }

    // 'quoted' pieces ('' is a quote) and #nn or #$hh character codes,
    // juxtaposed; a '+' joins pieces across lines.
    std::string ParseString() {
        std::string s;
        for (;;) {
            if (Peek() == '#') {
                ++FPos;
                if (!std::isdigit(static_cast<unsigned char>(Peek())) && Peek() != '$')
                    Fail("expected a character code after '#'");
                const long long code = ParseInteger();
                if (code > 255)
                    Fail("character code out of range");
                s += static_cast<char>(code);
            } else if (Peek() == '\'') {
                ++FPos;
                for (;;) {
                    if (AtEnd() || FText[FPos] == '\n' || FText[FPos] == '\r')
                        Fail("unterminated string");
                    const char ch = FText[FPos++];
                    if (ch == '\'') {
                        if (Peek() != '\'')
                            break;
                        ++FPos;
                    }
                    s += ch;
                }
            } else {
                const size_t here = FPos;
                const int line = FLine;
                SkipBlanks();
                if (Peek() != '+') {
                    FPos = here, FLine = line;
                    return s;
                }
                ++FPos;
                SkipBlanks();
                if (Peek() != '\'' && Peek() != '#')
                    Fail("expected a string after '+'");
            }
        }
    }

    void ParseHex(std::vector<uint8_t>& out) {
        int high = -1;
        for (SkipBlanks(); Peek() != '}'; SkipBlanks()) {
            const int d = HexDigitValue(Peek());
            if (d < 0)
                Fail(AtEnd() ? "unterminated binary data" : "invalid hexadecimal digit");
            ++FPos;
            if (high < 0) {
                high = d;
            } else {
                out.push_back(static_cast<uint8_t>(high << 4 | d));
                high = -1;
            }
        }
        if (high >= 0)
            Fail("odd number of hexadecimal digits");
        ++FPos;
    }

    const std::string& FText;
    size_t FPos = 0;
    int FLine = 1;
};

} // namespace

TFormObject ParseFormData(const std::string& text) {
    return TFormParser(text).ParseRoot();
}
