// The main window: port control, activity log, reading, the module's
// housekeeping commands and the configuration report.
#pragma once

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "console/LogView.h"

class LogMenu;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class PortRecovery;
class PortWatcher;
class TCustomComPort;
class TRadioGroup;
class TagsView;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // Port connection and log
    QComboBox* cmb_port;
    QComboBox* cmb_baud;
    QPushButton* btn_open;
    QPushButton* btn_close;
    QLabel* Label21;
    LogView* Memo1;
    LogMenu* Memo1Menu;  // its context menu and [Log] settings
    // The log's tab, and the tags seen in the tab beside it.
    QTabWidget* LogTabs;
    TagsView* TagsView1;
    QToolButton* SpeedButton1;
    QPushButton* Button5;     // hidden: Firmware
    QPushButton* Button6;     // hidden: Reset
    QPushButton* btn_config;  // hidden: configuration report
    // Reading
    TRadioGroup* rdb_read;
    QCheckBox* cb_sendp;
    QLineEdit* edt_p1;
    QLineEdit* edt_p2;
    QLineEdit* edt_p3;
    QLineEdit* edt_p4;
    QLabel* Label1;
    QComboBox* cmb_nblocks;
    TRadioGroup* rdb_auto;
    QPushButton* Button17;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button4;
    // Menus
    QMenu* Tools1;
    QMenu* Settings1;
    QMenu* Output1;
    QAction* ProgramTagTransponder1;
    QAction* GetModuleParameters1;
    QAction* SetBaudRate1;
    QAction* SoftwareReset1;
    QAction* ReadFirmwareVersionn1;
    QAction* Sleep1;
    QAction* Output00Output101;
    QAction* Output001;
    QAction* Output11Output001;
    QAction* Output11Output111;
    QAction* ReadInput01;
    QAction* ReconnectAutomatically1;
    QAction* SaveModuleProfile1;
    QAction* ApplyModuleProfile1;
    QAction* ByteTrackSettings1;
    QAction* OutputSelection1;
    QAction* I2CSettings1;
    QAction* agProgrammingParameters1;
    QAction* Calibration1;

    // Runs after the window closed (start-up ends the program there).
    std::function<void()> OnClosed;

    // Refuses (raises) when no read type is chosen in rdb_read.
    void RequireReadType() const;

    // The activity log: one line appended at the bottom.
    void AppendLine(const std::string& line);

    // Port list and the device behind the port (Unit1Ports.cpp).
    // Brings cmb_port up to the devices present, keeping what the operator shows.
    void RefreshPortList();
    // Start-up hands over the port once its host exists: its opening and the
    // loss of its device are followed from then on.
    void WatchPort(TCustomComPort& port);
    void ReconnectAutomatically1Click();

    // Handlers (run directly = "clicked")
    void FormCreate();
    void FormClose();
    void btn_openClick();
    void btn_closeClick();
    void cmb_portChange();
    void cmb_baudChange();
    void SpeedButton1Click();
    // Reading
    void Button1Click();
    void Button2Click();
    void Button4Click();
    void Button17Click();
    void cb_sendpClick();
    void rdb_readClick();
    void rdb_autoClick();
    void cmb_nblocksChange();
    // Control commands
    void Button5Click();
    void Button6Click();
    void Sleep1Click();
    void Output00Output101Click();
    void Output001Click();
    void Output11Output001Click();
    void Output11Output111Click();
    void ReadInput01Click();
    void ReadFirmwareVersionn1Click();
    void SoftwareReset1Click();
    // Module profiles: the configuration to a file, and a file to the module
    void SaveModuleProfile1Click();
    void ApplyModuleProfile1Click();
    // Configuration report
    void btn_configClick();
    void GetModuleParameters1Click();
    // Dialogs
    void ProgramTagTransponder1Click();
    void SetBaudRate1Click();
    void ByteTrackSettings1Click();
    void OutputSelection1Click();
    void I2CSettings1Click();
    void agProgrammingParameters1Click();
    void Calibration1Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildMenus();
    void connectHandlers();
    void writeLast(const char* key, const std::string& value);
    // The read type code of rdb_read; refuses when no read type is chosen.
    uint8_t readTypeCode() const;
    uint8_t blockCount() const;
    // P1 to P4 from the password fields, in field order.
    std::array<uint8_t, 4> passwordBytes() const;
    void sendOutputs(uint8_t state);
    void loadPortOptions();
    void selectStoredPort(const std::string& path);

    PortWatcher* portWatcher_ = nullptr;
    PortRecovery* portRecovery_ = nullptr;
};

extern TForm1* Form1;

// Shows a dialog non-modally, or brings it forward when it is already open.
void ShowDialog(QWidget* dialog);
