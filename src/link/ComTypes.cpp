#include "link/ComTypes.h"

int BaudRateToInt(TBaudRate rate) {
    static const int kRates[] = {0,     110,   300,   600,   1200,   2400,   4800,   9600,
                                 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    const int i = static_cast<int>(rate);
    return (i >= 0 && i < static_cast<int>(sizeof kRates / sizeof kRates[0])) ? kRates[i] : 0;
}

namespace {
struct EventBit {
    TComEvent event;
    uint32_t bit;
};
const EventBit kEventBits[] = {
    {evRxChar, 0x0001}, {evRxFlag, 0x0002}, {evTxEmpty, 0x0004}, {evCTS, 0x0008},
    {evDSR, 0x0010},    {evRLSD, 0x0020},   {evBreak, 0x0040},   {evError, 0x0080},
    {evRing, 0x0100},   {evRx80Full, 0x0400},
};
}  // namespace

const TComEvent kEventDeliveryOrder[10] = {evError, evRxChar, evTxEmpty, evBreak, evRing,
                                           evCTS,   evDSR,    evRxFlag,  evRLSD,  evRx80Full};

uint32_t EventsToMask(TComEvents events) {
    uint32_t mask = 0;
    for (const EventBit& e : kEventBits)
        if (events.contains(e.event)) mask |= e.bit;
    return mask;
}

TComEvents EventsFromMask(uint32_t mask) {
    TComEvents events;
    for (const EventBit& e : kEventBits)
        if (mask & e.bit) events.include(e.event);
    return events;
}

TComErrors ErrorsFromMask(uint32_t mask, bool parityCheck) {
    TComErrors errors;
    if (mask & 0x0008) errors.include(ceFrame);
    if ((mask & 0x0004) && parityCheck) errors.include(ceRxParity);
    if (mask & 0x0002) errors.include(ceOverrun);
    if (mask & 0x0001) errors.include(ceRxOver);
    if (mask & 0x0100) errors.include(ceTxFull);
    if (mask & 0x0010) errors.include(ceBreak);
    if (mask & 0x0400) errors.include(ceIO);
    if (mask & 0x8000) errors.include(ceMode);
    return errors;
}
