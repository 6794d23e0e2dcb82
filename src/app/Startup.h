// Start-up: message translation, then the windows in their fixed order, each
// loading its settings while it is created.
#pragma once

// Sets the locale from the environment, binds the "default" and "cport" text
// domains to the translation folder (the "locale" folder beside the program
// file, see TranslationFolder) and translates the port component's messages once.
void InitTranslation();

// Installs the Qt hand-over of serial line events to the user-interface thread,
// and the error display for exceptions raised outside any handler (the port's
// line-event handlers, the opening after loading).
void InstallMainThreadExecutor();

// Form1, com_form, then the dialogs. A settings value that does not convert is
// shown in a message box and the start goes on.
void CreateWindows();
// Dialogs first, then the port host (which closes the port), then Form1.
void DestroyWindows();
