// The Block0 word from the four choices, and what the module makes of it.
#include <gtest/gtest.h>

#include "dialogs/Block0.h"
#include "sim/SimulatedModule.h"

namespace {

struct Row {
    const char* listText;
    int modulation;
    bool protection;
    int maxBlock;
    uint32_t word;
    TagModulation moduleSees;
};

TEST(Block0Word, WorkedValuesAreWhatTheModuleReadsBack) {
    const Row rows[] = {
        {"Q5 ( T5555 )", kModulationRF64, false, 7, 0x6001F00E, TagModulation::RF64},
        {"Q5 ( T5555 )", kModulationRF32, true, 1, 0x6000FC02, TagModulation::RF32},
        {"T5557", kModulationRF64, false, 7, 0x001480E0, TagModulation::RF64},
        {"T5557", kModulationRF32, true, 7, 0x000882F0, TagModulation::RF32},
        {"T5551", kModulationRF32, true, 7, 0x000882F0, TagModulation::RF32},
        // The modulation and the protection choice do not reach a T5552 word.
        {"T5552", kModulationRF64, true, 7, 0x0000018E, TagModulation::RF32},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.listText) + " max " + std::to_string(r.maxBlock));
        const std::optional<uint32_t> word =
            Block0Word({TagTypeFromText(r.listText), r.modulation, r.protection, r.maxBlock});
        ASSERT_TRUE(word.has_value());
        EXPECT_EQ(*word, r.word);
        const Block0Info seen = decodeBlock0(*word);
        EXPECT_EQ(seen.modulation, r.moduleSees);
        EXPECT_EQ(seen.passwordProtected, r.protection && r.word != 0x0000018E);
    }
    EXPECT_EQ(Block0Fields(0x6001F00E), (std::array<std::string, 4>{"60", "01", "F0", "0E"}));
}

TEST(Block0Word, IsNotGuessedFromAnIncompleteChoice) {
    EXPECT_FALSE(Block0Word({std::nullopt, kModulationRF64, false, 7}));
    EXPECT_FALSE(Block0Word({TagType::Q5, kModulationRF64, false, std::nullopt}));
    EXPECT_FALSE(Block0Word({TagType::T5557, std::nullopt, false, 7}));
    EXPECT_FALSE(Block0Word({TagType::T5551, std::nullopt, false, 7}));
    EXPECT_EQ(Block0Word({TagType::T5552, std::nullopt, false, 3}), 0x00000186u);
    EXPECT_FALSE(TagTypeFromText(""));
}

}  // namespace
