// A value as form data writes it, and the error for data that is malformed
// or names what does not exist. The parser makes values and the component
// model applies them; both include this and neither includes the other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/SysUtils.h"

enum class TValueKind { Integer, Float, String, Ident, Set, List, Binary };

struct TFormValue {
    TValueKind Kind = TValueKind::Integer;
    long long Int = 0;
    double Float = 0;               // Float: 1.5, 16383.000000000000000000, 2.5E-3
    std::string Str;                // String and Ident
    std::vector<std::string> Items; // Set (identifiers) and List (strings)
    std::vector<uint8_t> Bytes;     // Binary
    int Line = 0;

    const char* KindName() const;
};

// Malformed form data or a form naming something that does not exist.
class EFormDataError : public Exception {
public:
    using Exception::Exception;
};
