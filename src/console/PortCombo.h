// The port list of the main window: an editable drop-down list that is
// brought up to date before it drops down, and whose items say what each
// device is.
#pragma once

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

class PortComboBox : public QComboBox {
public:
    PortComboBox(QWidget* parent, const char* name);
    // Runs before the list drops down.
    std::function<void()> BeforePopup;
    void showPopup() override;
};

// Makes the items the given device paths, each with the device's description
// as tool tip and accessible description. The shown text, the cursor and any
// selected text stay as the operator left them; the item index follows the
// text. Raises no change handler.
void ShowPorts(QComboBox* combo, const std::vector<std::string>& ports);
