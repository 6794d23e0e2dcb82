// Makes a window's controls findable through the desktop accessibility bus:
// Qt does not export object names, so each control's accessible description
// becomes its objectName, and controls without visible text of their own get a
// readable accessible name from the label beside them.
#pragma once

class QWidget;

void ApplyAccessibility(QWidget* window);
