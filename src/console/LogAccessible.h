// The activity log as assistive tools see it: an editable multi-line text
// whose every read first takes in the lines still waiting for the view.
#pragma once

// Installs the accessibility factory for LogView (once per process).
void InstallLogAccessibility();
