#include "framework/SysUtils.h"

#include <charconv>
#include <climits>

bool TryStrToInt(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first; // from_chars takes '-' but not '+'
        if (first != last && *first == '-')
            return false;
    }
    if (first == last)
        return false;
    long long wide = 0;
    auto [end, err] = std::from_chars(first, last, wide);
    if (err != std::errc() || end != last || wide < INT_MIN || wide > INT_MAX)
        return false;
    value = static_cast<int>(wide);
    return true;
}

int StrToInt(const std::string& text) {
    int value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

std::string IntToStr(long long value) {
    return std::to_string(value);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
