// The seam between the serial port component and the operating system. The
// component keeps the properties, the algorithms and the error table; a
// backend only touches the device. Every call reports failure as the system's
// error number (0 for success) and leaves the EComPort to the component.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/ComTypes.h"

// The line settings record, built from the component's properties in one
// place, with the platform-neutral meaning of each field.
struct PortLineSettings {
    int32_t baudRate = 9600;  // bit/s
    int dataBits = 8;         // 5 ... 8
    TParityBits parity = prNone;
    TStopBits stopBits = sbOneStopBit;
    bool parityCheck = false;
    bool parityReplace = false;  // only when parityCheck
    uint8_t errorChar = 0;       // only when parityReplace
    bool outCTSFlow = false;
    bool outDSRFlow = false;
    TDTRFlowControl dtrControl = dtrDisable;
    bool dsrSensitivity = false;
    bool txContinueOnXoff = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    bool discardNull = false;
    TRTSFlowControl rtsControl = rtsDisable;
    uint16_t xonLim = 256;
    uint16_t xoffLim = 256;
    uint8_t xonChar = 0x11;
    uint8_t xoffChar = 0x13;
    uint8_t eventChar = 0;
};

// How a wait for line events ended.
enum class EventWait {
    Events,      // `events` holds what happened
    Stopped,     // wakeEvents was called, or the wait failed
    DeviceGone,  // the device hung up or disappeared (an unplugged adapter)
};

struct PortTimeouts {
    int32_t readInterval = -1;
    int32_t readTotalMultiplier = 0;
    int32_t readTotalConstant = 0;
    int32_t writeTotalMultiplier = 100;
    int32_t writeTotalConstant = 1000;
};

class PortBackend {
public:
    virtual ~PortBackend() = default;

    // Opens the named device exclusively and sets the control lines that
    // `line` asks for; the device stays closed on failure. A path that is no
    // character device (a file, a folder) is refused before anything is opened.
    virtual int open(const std::string& port, const PortLineSettings& line) = 0;
    // Closing always succeeds: a device that has gone is still let go.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual int applyBuffers(int32_t inputSize, int32_t outputSize) = 0;
    virtual int applyLine(const PortLineSettings& line) = 0;
    virtual int applyTimeouts(const PortTimeouts& timeouts) = 0;

    virtual int read(void* buffer, int32_t count, int32_t& done) = 0;
    virtual int write(const void* buffer, int32_t count, int32_t& done) = 0;
    virtual int inputCount(int32_t& count) = 0;
    virtual int purge(bool input, bool output) = 0;
    // Ends outstanding reads and writes before the device is closed.
    virtual int abortPending() = 0;
    // Modem status bits: 0x10 CTS, 0x20 DSR, 0x40 ring, 0x80 carrier detect.
    virtual int modem(uint32_t& bits) = 0;
    // Reads and clears the line errors, as the bits of ErrorsFromMask.
    virtual int errors(uint32_t& bits) = 0;
    // True when bytes wait, after sleeping on the device at most `microseconds`.
    virtual int waitInput(int32_t microseconds, bool& ready) = 0;
    // Whether an error number means the device itself has disappeared.
    virtual bool deviceGone(int error) const = 0;

    // Event waiting, used by the event thread. eventsBegin runs on the opening
    // thread, waitEvents and eventsEnd on the event thread, wakeEvents from any
    // thread: it makes the current or next waitEvents return Stopped.
    virtual void eventsBegin(uint32_t mask, int32_t rx80Threshold) = 0;
    // Blocks until an event of the mask happens, the wait is stopped, or the
    // device goes away. Events seen together with the loss come first; the
    // loss is reported by the next call.
    virtual EventWait waitEvents(uint32_t& events) = 0;
    virtual void wakeEvents() = 0;
    // Clears the mask and discards both queues, errors ignored.
    virtual void eventsEnd() = 0;
};

std::unique_ptr<PortBackend> CreatePortBackend();

class TCustomComPort;
// The record ApplyLineSettings hands to the backend for the port's properties.
PortLineSettings LineSettingsOf(const TCustomComPort& port);

// Serial ports present, as device paths, sorted with SortPortNames. `classDir`
// is the kernel's tty class folder and `devDir` the device folder, so tests can
// point them at a tree of their own. Returns 0 or the error number that kept
// the list from being read.
int FindSerialDevices(std::vector<std::string>& list,
                      const std::string& classDir = "/sys/class/tty",
                      const std::string& devDir = "/dev");

// Sorts ignoring case and in the order of the current locale (COM1, COM10, COM2).
void SortPortNames(std::vector<std::string>& names);

// Device path of a Port name: a path as given, anything else under /dev/.
std::string PortDevicePath(const std::string& port);
