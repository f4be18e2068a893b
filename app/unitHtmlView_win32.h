// The embedded HTML view of this run, chosen once at start-up: the
// platform's web browser control where its engine can load and print pages,
// the program's own view otherwise.
#pragma once

enum class THtmlViewKind { hvPlatform, hvOwn };

// Decides, makes NewHtmlView serve the chosen kind, and returns it.
THtmlViewKind ChooseHtmlView();

class IHtmlView;
// The size the program's own preview window opens at, kept with the main
// window's layout; {0, 0} is the designed size. The platform's control keeps
// its preview's size itself: there it reads {0, 0} and setting does nothing.
struct THtmlPreviewSize {
    int Width = 0, Height = 0;
};
THtmlPreviewSize HtmlPreviewSize(const IHtmlView& view);
void SetHtmlPreviewSize(IHtmlView& view, THtmlPreviewSize size);
