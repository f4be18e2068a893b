// The catalogue page as the program writes it for printing: the main
// window's web-page template, filled by the catalogue writer from a stand-in
// message table shaped like the system's (about two thousand texts, most of
// one line, some of several, every one ending with a line break).
#pragma once

#include <string>

// The stand-in text of a code, empty for a code without one.
std::string StandInDescription(int code);
// How many codes have a stand-in text: the rows of the page.
int StandInRowCount();
// The whole page, with `osName` for "%OS%".
std::string CataloguePage(const std::string& osName = "Windows 7 Ultimate Edition");
