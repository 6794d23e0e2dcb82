// The Block0 word from the four choices (what the module makes of each word
// is checked with the simulated module's own tests).
#include <gtest/gtest.h>

#include "dialogs/Block0.h"

namespace {

TEST(Block0Word, WorkedValuesAndNothingGuessedFromAnIncompleteChoice) {
    const struct {
        const char* listText;
        int modulation;
        bool protection;
        int maxBlock;
        uint32_t word;
    } rows[] = {
        {"Q5 ( T5555 )", kModulationRF64, false, 7, 0x6001F00E},
        {"Q5 ( T5555 )", kModulationRF32, true, 1, 0x6000FC02},
        {"T5557", kModulationRF64, false, 7, 0x001480E0},
        {"T5557", kModulationRF32, true, 7, 0x000882F0},
        {"T5551", kModulationRF32, true, 7, 0x000882F0},
        {"T5552", kModulationRF64, true, 7, 0x0000018E},  // modulation and protection ignored
    };
    for (const auto& r : rows)
        EXPECT_EQ(Block0Word({TagTypeFromText(r.listText), r.modulation, r.protection, r.maxBlock}),
                  r.word)
            << r.listText << " max " << r.maxBlock;
    EXPECT_EQ(Block0Fields(0x6001F00E), (std::array<std::string, 4>{"60", "01", "F0", "0E"}));

    EXPECT_FALSE(Block0Word({TagTypeFromText(""), kModulationRF64, false, 7}));
    EXPECT_FALSE(Block0Word({TagType::Q5, kModulationRF64, false, std::nullopt}));
    EXPECT_FALSE(Block0Word({TagType::T5557, std::nullopt, false, 7}));
    EXPECT_FALSE(Block0Word({TagType::T5551, std::nullopt, false, 7}));
    EXPECT_EQ(Block0Word({TagType::T5552, std::nullopt, false, 3}), 0x00000186u);
}

}  // namespace
