// The module profile reader fed any text: refused with a line number inside
// the text, or accepted; an accepted profile written again and read back
// gives the same fields. The groups it leaves out are written from the
// module's factory block, since a written profile holds every group.
#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "module/ModuleProfile.h"
#include "sim/SimulatedModule.h"

namespace {

int linesOf(const std::string& text) {
    int lines = 1;
    for (char c : text) lines += c == '\n';
    return lines;
}

std::string differences(const ModuleProfile& profile, const ConfigBlock& block) {
    std::string all;
    for (const FieldDifference& d : CompareProfile(profile, block)) all += DifferenceLine(d) + "\n";
    return all;
}

// Written and read back: every field of the profile's groups as it was.
void checkRoundTrip(const ModuleProfile& profile, const std::string& origin) {
    const auto factory = SimulatedModule::factoryConfig();
    ConfigBlock block;
    std::copy(factory.begin(), factory.end(), block.begin());
    for (const NamedField& field : NamedFields(profile.block)) {
        bool held = false;
        for (int g = 0; g < kProfileGroups; ++g)
            held = held ||
                   (profile.groups[g] && field.section == SectionOf(static_cast<ProfileGroup>(g)));
        if (held)
            for (int at : field.bytes)
                block[static_cast<size_t>(at)] = profile.block[static_cast<size_t>(at)];
    }
    const std::string text = WriteProfile(block, profile.baud.value_or(19200), "fuzz", "now");
    ModuleProfile again;
    try {
        again = ParseProfile(text);
    } catch (const ProfileError& e) {
        FUZZ_CHECK(false, "line " + std::to_string(e.Line()) + ": " + e.what() + "\n" + text +
                              "\nfrom\n" + origin);
    }
    const std::string changed = differences(profile, again.block);
    FUZZ_CHECK(changed.empty(), changed + text);
    if (profile.baud) FUZZ_CHECK(again.baud == profile.baud, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ModuleProfile profile;
    try {
        profile = ParseProfile(text);
    } catch (const ProfileError& e) {
        FUZZ_CHECK(e.Line() >= 0 && e.Line() <= linesOf(text), std::to_string(e.Line()));
        FUZZ_CHECK(std::string(e.what()).size() > 0, "a refusal without a reason");
        return 0;
    }
    checkRoundTrip(profile, text);
    return 0;
}
