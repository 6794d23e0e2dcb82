// The main window's port list and what happens when the device behind the
// port goes away: the list follows the devices present, the port is
// remembered by its path, and the port may reconnect on its own.
#include <QAction>

#include "console/HandlerGuard.h"
#include "console/PortCombo.h"
#include "console/PortList.h"
#include "console/PortRecovery.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "link/Conversions.h"
#include "settings/SettingsFile.h"

namespace {
const char* const kReconnectKey = "reconnect_auto";
}

void TForm1::RefreshPortList() {
    std::vector<std::string> ports;
    try {
        ports = OfferedPortNames();
    } catch (const std::exception&) {
        return;  // what is shown stays; opening still reports a real problem
    }
    ShowPorts(cmb_port, ports);
}

void TForm1::WatchPort(TCustomComPort& port) { portRecovery_->Attach(port); }

void TForm1::ReconnectAutomatically1Click() {
    writeLast(kReconnectKey, ReconnectAutomatically1->isChecked() ? "-1" : "0");
}

void TForm1::loadPortOptions() {
    const std::string stored = TIniFile(SettingsPath()).ReadString("LAST", kReconnectKey, "0");
    ReconnectAutomatically1->setChecked(StrToBool(stored));
}

void TForm1::selectStoredPort(const std::string& path) {
    if (path.empty()) return;
    const int index = cmb_port->findText(FromStd(path), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) SetItemIndex(cmb_port, index);
}
