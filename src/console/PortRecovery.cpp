#include "console/PortRecovery.h"

#include <sys/stat.h>

#include <QAction>
#include <QPushButton>

#include "console/HandlerGuard.h"
#include "console/PortList.h"
#include "console/Unit1.h"
#include "link/PortBackend.h"
#include "link/TALVOR_comport.h"

namespace {
// A node appears before the system gives it its permissions, so opening is
// retried this long, this often.
constexpr qint64 kRetryPeriodMs = 2000;
constexpr int kRetryIntervalMs = 100;
// A device that flaps is tried again no sooner than this.
constexpr qint64 kAttemptIntervalMs = 1000;

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}
}  // namespace

PortRecovery::PortRecovery(TForm1* form) : QObject(form), form_(form) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] { trying_ ? tryOpen() : attemptWhenBack(); });
}

void PortRecovery::Attach(TCustomComPort& port) {
    port.OnAfterOpen = [this](TCustomComPort* p) {
        opened_ = ReadDeviceInfo(PortDevicePath(p->Port()), CurrentPortFolders());
    };
    port.OnDeviceLost = [this](TCustomComPort* p) { deviceLost(*p); };
}

void PortRecovery::Cancel() {
    closePending_ = false;
    CancelReconnect();
}

void PortRecovery::CancelReconnect() {
    waiting_ = trying_ = false;
    retry_.stop();
}

void PortRecovery::DevicesChanged() { attemptWhenBack(); }

void PortRecovery::deviceLost(TCustomComPort& port) {
    form_->AppendLine("Port " + PortDevicePath(port.Port()) + " was disconnected");
    // This runs in the event's delivery; the close waits for the event loop.
    closePending_ = true;
    QTimer::singleShot(0, this, [this] { closeLostPort(); });
}

void PortRecovery::closeLostPort() {
    if (!closePending_) return;  // the operator got there first
    lost_ = opened_;
    if (com_form != nullptr && com_form->comport1.Connected())
        Guarded([this] { form_->btn_closeClick(); });
    waiting_ = form_->ReconnectAutomatically1->isChecked();
    failureLogged_ = false;
    attemptWhenBack();
}

void PortRecovery::attemptWhenBack() {
    if (!waiting_ || trying_ || returnedDevice().empty()) return;
    if (sinceAttempt_.isValid() && sinceAttempt_.elapsed() < kAttemptIntervalMs) {
        retry_.start(static_cast<int>(kAttemptIntervalMs - sinceAttempt_.elapsed()));
        return;
    }
    trying_ = true;
    sinceAttempt_.start();
    tryOpen();
}

void PortRecovery::tryOpen() {
    std::string failure = "it went away again";
    const std::string path = returnedDevice();
    if (!path.empty()) {
        try {
            reopen(path);
            waiting_ = trying_ = false;
            form_->AppendLine("Port " + path + " was reconnected");
            return;
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }
    if (sinceAttempt_.elapsed() < kRetryPeriodMs) {
        retry_.start(kRetryIntervalMs);
        return;
    }
    trying_ = false;
    if (failureLogged_) return;
    failureLogged_ = true;
    form_->AppendLine("Port " + lost_.path + " came back but could not be opened: " + failure);
}

std::string PortRecovery::returnedDevice() const {
    if (com_form == nullptr) return "";
    // The port as stored first; the same adapter may also come back elsewhere.
    std::vector<std::string> candidates = {PortDevicePath(com_form->comport1.Port())};
    for (const std::string& name : lost_.byId)
        candidates.push_back(CurrentPortFolders().devDir + "/serial/by-id/" + name);
    if (!lost_.usbIdentity.empty()) {
        try {
            for (const std::string& port : OfferedPortNames()) candidates.push_back(port);
        } catch (const std::exception&) {
        }
    }
    for (const std::string& path : candidates)
        if (Exists(path) && SameDevice(lost_, ReadDeviceInfo(path, CurrentPortFolders())))
            return path;
    return "";
}

void PortRecovery::reopen(const std::string& path) {
    TComPort& port = com_form->comport1;
    // The stored port and rate: not what the window shows now.
    if (PortDevicePath(port.Port()) != path) port.SetPort(path);
    port.SetConnected(true);
    try {
        port.ClearBuffer(true, true);
    } catch (...) {
        port.SetConnected(false);
        throw;
    }
    form_->btn_open->hide();
    form_->btn_close->show();
}
