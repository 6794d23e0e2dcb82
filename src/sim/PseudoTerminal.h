// A pseudo-terminal pair for the simulator: the master side is ours, the
// slave side is the serial device the host opens.
#pragma once

#include <cstdint>
#include <string>

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the pair (raw, 19200 bit/s) or throws std::system_error.
    void open();
    void close();
    int masterFd() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }
    // The output rate the host has set on the slave side; 0 when unknown.
    uint32_t hostBaudRate() const;

private:
    int m_master = -1;
    // Held open so the master never reads EIO while the host has the device
    // closed. Never read: every byte on it belongs to the host.
    int m_slave = -1;
    std::string m_slavePath;
};

// The output rate of a terminal, custom rates included; 0 when it cannot be read.
uint32_t terminalOutputRate(int fd);
