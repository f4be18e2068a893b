// Laying out small documents with the fixed-metric measurer, and reading the
// pages back as texts and rectangles.
#pragma once

#include <string>
#include <vector>

#include "htmlview/HtmlPages.h"

THtmlPages LayOut(std::string_view html, const THtmlPageSetup& setup);
// A setup at 96 units per inch with the paper `width` x `height` and margins of `margin`.
THtmlPageSetup Paper(int width, int height, int margin, THtmlMedia media = THtmlMedia::Print);

std::vector<const THtmlText*> TextsOf(const THtmlPage& page);
// The first text run of the page that begins with `start`, or nullptr.
const THtmlText* FindText(const THtmlPage& page, std::string_view start);
// The fill that lies under the point, the last painted one; nullptr for none.
const THtmlFill* FillAt(const THtmlPage& page, int x, int y);
std::vector<THtmlRect> EdgesOf(const THtmlPage& page);
