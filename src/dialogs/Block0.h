// The Block0 word: the configuration block of a read/write transponder,
// composed from the operator's four choices.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

enum class TagType { Q5, T5557, T5551, T5552 };

// The type a list text names, by the part number it contains.
std::optional<TagType> TagTypeFromText(const std::string& text);

// Positions in the modulation list.
constexpr int kModulationRF64 = 0;
constexpr int kModulationRF32 = 1;

struct Block0Choice {
    std::optional<TagType> type;
    std::optional<int> modulation;  // list position; not consulted for T5552
    bool passwordProtection = false;
    std::optional<int> maxBlock;  // 1 to 7
};

// The word, or nothing while a choice it depends on is missing: a wrong
// configuration block can make a transponder unreadable, so nothing is guessed.
std::optional<uint32_t> Block0Word(const Block0Choice& choice);

// The word as four two-digit upper-case texts, most significant byte first.
std::array<std::string, 4> Block0Fields(uint32_t word);
