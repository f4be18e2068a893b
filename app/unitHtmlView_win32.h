// The embedded HTML view of this run, chosen once at start-up: the
// platform's web browser control where its engine can load and print pages,
// the program's own view otherwise.
#pragma once

enum class THtmlViewKind { hvPlatform, hvOwn };

// Decides, makes NewHtmlView serve the chosen kind, and returns it.
THtmlViewKind ChooseHtmlView();
