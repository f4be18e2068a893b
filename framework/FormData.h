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

#include <string>
#include <utility>
#include <vector>

#include "framework/FormValue.h"

struct TFormObject {
    std::string ClassName;
    std::string Name;
    int Line = 0;
    std::vector<std::pair<std::string, TFormValue>> Props;
    std::vector<TFormObject> Children;
};

// Raises EFormDataError with the line of the first fault.
TFormObject ParseFormData(const std::string& text);
