#include "module/ModuleCommands.h"

#include <algorithm>
#include <vector>

FrameBuilder ConstantFrame(const CommandSpec& command, std::initializer_list<uint8_t> data) {
    std::vector<uint8_t> bytes(data);
    return [&command, bytes](uint8_t* f) {
        BuildFrame(f, command, {});
        std::copy(bytes.begin(), bytes.end(), f + 4);
        return command.frameSize;
    };
}

ExchangeResult ReadConfig(ModuleExchange& exchange) {
    return exchange.Run(ConstantFrame(Commands::ReadConfig), MainWindowLines::ReadConfig, {},
                        kConfigReplyLength);
}

std::optional<ConfigBlock> ConfigBlockOf(const ExchangeResult& result) {
    if (result.outcome != Outcome::Accepted) return std::nullopt;
    const std::vector<uint8_t> frame = result.Frame();
    ConfigBlock block{};
    if (frame.size() < 4 + block.size()) return std::nullopt;
    std::copy_n(frame.begin() + 4, block.size(), block.begin());
    return block;
}
