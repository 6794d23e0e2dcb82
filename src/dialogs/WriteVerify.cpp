#include "dialogs/WriteVerify.h"

#include "console/CommandExchange.h"
#include "dialogs/TagExchanges.h"
#include "link/CommandTable.h"
#include "module/TagDecoder.h"
#include "module/TagVerify.h"

namespace {

// Where the configuration block keeps the byte track setting.
constexpr size_t kTrackCount = 32;
constexpr size_t kTrackBytes = 33;

std::string em4100Forms(const Em4100Id& id) {
    return "EM4100 " + Em4100Hex(id) + " (" + Em4100Decimal(id) + ", " + Em4100FacilityCard(id) +
           ")";
}

// Why a Byte Track read cannot show the written blocks, or "".
std::string byteTrackObstacle(const TagWriteJob& job) {
    if (job.protectionOn)
        return "password protection is on, and One Shot Read cannot read a protected tag";
    if (job.blocks.size() < 2) return "no data block is written";
    const std::optional<std::vector<uint8_t>> config = ReadConfigBlock();
    if (!config || config->size() <= kTrackBytes + 3)
        return "the module's tracked bytes could not be read (Read Config)";
    const size_t count = std::min<size_t>((*config)[kTrackCount], 4);
    std::string tracked;
    bool leads = true;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = (*config)[kTrackBytes + i];
        tracked += (i ? " " : "") + SpacedHex({byte});
        leads = leads && static_cast<uint8_t>(job.blocks[1] >> (24 - 8 * i)) == byte;
    }
    if (leads) return {};
    return "block 1 does not start with the module's tracked bytes " + tracked +
           ", so a Byte Track read cannot find the tag";
}

TagWriteOutcome finished(TagWriteOutcome outcome, TagWriteOutcome::Kind kind, std::string text,
                         std::string recordText) {
    outcome.kind = kind;
    outcome.text = std::move(text);
    outcome.recordText = std::move(recordText);
    LogLine("Verify > " + outcome.text);
    return outcome;
}

}  // namespace

TagWriteJob Em4100WriteJob(const Em4100Id& id, TagType type) {
    TagWriteJob job;
    const uint32_t block0 = *Block0Word({type, kModulationRF64, false, 2});
    const auto stream = Em4100Blocks(id);
    job.blocks = {block0, stream[0], stream[1]};
    for (uint32_t word : job.blocks) job.blockTexts.push_back(Block0Fields(word));
    job.em4100 = id;
    return job;
}

TagWriteOutcome WriteAndVerify(const TagWriteJob& job) {
    TagWriteOutcome outcome;
    const std::string obstacle = job.em4100 ? std::string() : byteTrackObstacle(job);
    // Data first, Block0 last: the tag starts sending the new data, and turns
    // its protection on, only once that data is in place; and a protected tag
    // would refuse the data blocks written after it without the password.
    std::vector<size_t> order;
    for (size_t n = 1; n < job.blocks.size(); ++n) order.push_back(n);
    order.push_back(0);
    for (size_t n : order) {
        const auto& texts = job.blockTexts[n];
        if (!WriteBlock(static_cast<int>(n), FieldBytes(texts), texts, job.password,
                        job.passwordTexts)) {
            const std::string why = "block " + std::to_string(n) +
                                    " was not accepted (is the tag in the field, and "
                                    "not protected?)";
            return finished(outcome, TagWriteOutcome::WriteFailed, "Write failed: " + why,
                            "write failed: " + why);
        }
        outcome.blocksWritten.push_back(std::to_string(n) + ":" + BlockWordText(job.blocks[n]));
    }
    if (!obstacle.empty())
        return finished(outcome, TagWriteOutcome::CannotVerify,
                        "Written, but cannot verify: " + obstacle, "cannot verify: " + obstacle);

    const uint8_t readType = job.em4100 ? ReadTypes::Em4100Decoded : job.byteTrackReadType;
    const auto dataBlocks = static_cast<uint8_t>(job.em4100 ? 1 : job.blocks.size() - 1);
    const std::optional<std::vector<uint8_t>> data = ReadTagOnce(readType, dataBlocks);
    if (!data)
        return finished(outcome, TagWriteOutcome::NotReadBack,
                        "Not verified: nothing read back (the tag is gone, or its blocks do not "
                        "hold what this read looks for)",
                        "not verified: nothing read back");
    std::string difference;
    if (job.em4100) {
        difference = Em4100Difference(
            *job.em4100, DecodeTagData(readType, dataBlocks, data->data(), data->size()));
    } else {
        difference = BlocksDifference(
            std::vector<uint32_t>(job.blocks.begin() + 1, job.blocks.end()), *data);
    }
    if (!difference.empty())
        return finished(outcome, TagWriteOutcome::Differs, "Not verified: " + difference,
                        "not verified: " + difference);
    const std::string what = job.em4100 ? em4100Forms(*job.em4100)
                                        : "blocks 1 to " + std::to_string(job.blocks.size() - 1);
    return finished(outcome, TagWriteOutcome::Verified, "Verified: " + what, "verified");
}
