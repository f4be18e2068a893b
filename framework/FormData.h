// Form data: the text that describes a window's components, in this shape:
//
//   object MainForm: TMainForm
//     Caption = 'Title'#13#10'second line'
//     Width = 509
//     Anchors = [akTop, akRight]
//     Increment = 0.500000000000000000
//     Lines = ('one' 'two')
//     Data.Strings = (
//       '<td class="E">'#9'tab'
//       'a long line ' +
//         'continued')
//     Picture = {89504E47...}
//     OnCreate = FormCreate
//     object ToolBar: TToolBar
//       ...
//     end
//   end
//
// Parsing gives a tree of objects with their properties in the order written.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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

struct TFormObject {
    std::string ClassName;
    std::string Name;
    int Line = 0;
    std::vector<std::pair<std::string, TFormValue>> Props;
    std::vector<TFormObject> Children;
};

// Raises EFormDataError with the line of the first fault.
TFormObject ParseFormData(const std::string& text);
