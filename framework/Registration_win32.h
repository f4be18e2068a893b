// The one list of the framework's component classes that form data can name,
// and its own picture class. The program registers them at start-up, before
// it creates a form; registering again is harmless.
#pragma once

void RegisterFrameworkClasses();
