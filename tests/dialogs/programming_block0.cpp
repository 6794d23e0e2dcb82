// The Block0 word from the four choices (what the module makes of each word
// is checked with the simulated module's own tests).
#include <gtest/gtest.h>

#include "dialogs/Block0.h"

namespace {

using Choice = std::optional<int>;

TEST(Block0Word, WorkedValuesAndNothingGuessedFromAnIncompleteChoice) {
    // List text, modulation, protection, max block: the word.
    const std::tuple<const char*, Choice, bool, Choice, std::optional<uint32_t>> rows[] = {
        {"Q5 ( T5555 )", kModulationRF64, false, 7, 0x6001F00E},
        {"Q5 ( T5555 )", kModulationRF32, true, 1, 0x6000FC02},
        {"T5557", kModulationRF64, false, 7, 0x001480E0},
        {"T5557", kModulationRF32, true, 7, 0x000882F0},
        {"T5551", kModulationRF32, true, 7, 0x000882F0},
        {"T5552", kModulationRF64, true, 7, 0x0000018E},  // modulation and protection ignored
        {"T5552", std::nullopt, false, 3, 0x00000186},
        // Nothing is guessed from an incomplete choice.
        {"", kModulationRF64, false, 7, std::nullopt},
        {"Q5 ( T5555 )", kModulationRF64, false, std::nullopt, std::nullopt},
        {"T5557", std::nullopt, false, 7, std::nullopt},
        {"T5551", std::nullopt, false, 7, std::nullopt},
    };
    for (const auto& [text, modulation, protection, maxBlock, word] : rows)
        EXPECT_EQ(Block0Word({TagTypeFromText(text), modulation, protection, maxBlock}), word)
            << text << ", modulation " << modulation.value_or(-1) << ", max "
            << maxBlock.value_or(-1);
}

}  // namespace
