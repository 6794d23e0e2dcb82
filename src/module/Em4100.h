// EM4100 identifiers: the 64-bit stream a tag sends, the checks that make a
// stream valid, the forms an ID is printed in on a fob, and IDs typed by an
// operator.
//
// The stream, first bit first: nine 1 bits (the header), ten rows of four
// data bits each followed by an even parity bit (the ID's ten hex digits, most
// significant first), four even column parity bits over the rows, a 0 stop bit.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

using Em4100Id = std::array<uint8_t, 5>;
// First bit of the stream in the top bit of byte 0.
using Em4100Stream = std::array<uint8_t, 8>;

Em4100Stream EncodeEm4100(const Em4100Id& id);
// The stream as the two 32-bit words a T5557 or Q5 sends as blocks 1 and 2.
std::array<uint32_t, 2> Em4100Blocks(const Em4100Id& id);
Em4100Stream StreamOfBlocks(uint32_t block1, uint32_t block2);

struct Em4100Check {
    std::optional<Em4100Id> id;  // the ID when the stream is valid
    std::string fault;           // otherwise the first check that failed
};
// A reader sees a tag's stream at any point of its cycle, so all 64
// rotations are searched for the header; the first valid one gives the ID.
Em4100Check CheckEm4100Stream(const Em4100Stream& stream);

// "1A2B3C4D5E"
std::string Em4100Hex(const Em4100Id& id);
// The last four bytes as a 10-digit decimal number: "0725372254".
std::string Em4100Decimal(const Em4100Id& id);
// The last three bytes as facility and card number: "060,19806".
std::string Em4100FacilityCard(const Em4100Id& id);
unsigned Em4100Card(const Em4100Id& id);

struct Em4100Parse {
    std::optional<Em4100Id> id;
    std::string error;  // why the text is refused
};
// Ten hexadecimal digits ("1A2B3C4D5E", blanks allowed between them), or a
// decimal facility and card number ("60,19806": ID 00 00 3C 4D 5E).
Em4100Parse ParseEm4100Id(const std::string& text);

// The ID with another card number in the same facility (bytes 3 and 4).
Em4100Id WithCard(const Em4100Id& id, unsigned card);
