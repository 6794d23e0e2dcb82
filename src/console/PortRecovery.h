// What the main window does when the open device goes away: one log line,
// the port closed as Close Port closes it (outside the event's hand-over),
// and, with "Reconnect Automatically" on, the port opened again when the same
// device comes back.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <string>

#include "module/DeviceInfo.h"

class TCustomComPort;
class TForm1;

class PortRecovery : public QObject {
public:
    explicit PortRecovery(TForm1* form);

    // Hooks the port's opening and device loss.
    void Attach(TCustomComPort& port);
    // The operator opened or closed a port: nothing pending goes on.
    void Cancel();
    // Reconnect Automatically was turned off.
    void CancelReconnect();
    // Devices may have appeared or gone.
    void DevicesChanged();

private:
    void deviceLost(TCustomComPort& port);
    void closeLostPort();
    void attemptWhenBack();
    void tryOpen();
    // The path under which the lost device is present again, "" while it is not.
    std::string returnedDevice() const;
    void reopen(const std::string& path);

    TForm1* form_;
    DeviceInfo opened_;  // the device as it was when the port opened
    DeviceInfo lost_;
    bool closePending_ = false;
    bool waiting_ = false;  // for the lost device to come back
    bool trying_ = false;   // to open it, within the retry period
    bool failureLogged_ = false;
    QElapsedTimer sinceAttempt_;
    QTimer retry_;
};
