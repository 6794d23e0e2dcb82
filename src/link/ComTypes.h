// Enumerations and sets of the serial port component. Ordinals are positions.
#pragma once

#include <cstdint>
#include <initializer_list>

enum TBaudRate {
    brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000
};
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum TComEvent {
    evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full
};
enum TComError { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
enum TSyncMethod { smThreadSync, smWindowSync, smNone };

// A small set over an enumeration: bit n stands for the value of ordinal n.
template <typename E>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> items) {
        for (E e : items) bits_ |= bit(e);
    }
    static constexpr EnumSet fromBits(uint32_t bits) {
        EnumSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool contains(E e) const { return (bits_ & bit(e)) != 0; }
    constexpr void include(E e) { bits_ |= bit(e); }
    constexpr void exclude(E e) { bits_ &= ~bit(e); }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr uint32_t bits() const { return bits_; }
    constexpr bool operator==(const EnumSet& o) const { return bits_ == o.bits_; }
    constexpr bool operator!=(const EnumSet& o) const { return bits_ != o.bits_; }

private:
    static constexpr uint32_t bit(E e) { return 1u << static_cast<unsigned>(e); }
    uint32_t bits_ = 0;
};

using TComEvents = EnumSet<TComEvent>;
using TComErrors = EnumSet<TComError>;

inline constexpr TComEvents AllComEvents() {
    return TComEvents::fromBits((1u << 10) - 1);
}

// Bit/s of a rate; 0 for brCustom.
int BaudRateToInt(TBaudRate rate);

// The platform event bits (0x0001 EV_RXCHAR ... 0x0400 EV_RX80FULL) are the
// component's own encoding of an event mask on every platform.
uint32_t EventsToMask(TComEvents events);
TComEvents EventsFromMask(uint32_t mask);
// The order in which the events of one wake-up are delivered.
extern const TComEvent kEventDeliveryOrder[10];

// Line-error bits (0x0008 frame, 0x0004 parity, 0x0002 overrun, 0x0001 input
// overflow, 0x0100 output full, 0x0010 break, 0x0400 I/O, 0x8000 mode) to a
// set; the parity error counts only while parity checking is on.
TComErrors ErrorsFromMask(uint32_t mask, bool parityCheck);
