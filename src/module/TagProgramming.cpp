#include "module/TagProgramming.h"

#include "link/CommandTable.h"
#include "link/Conversions.h"

int BuildProgramBlockFrame(uint8_t* frame, uint8_t block, const FourBytes& data,
                           const std::optional<FourBytes>& password) {
    if (!password) {
        BuildFrame(frame, Commands::ProgramBlock, {block, data[0], data[1], data[2], data[3]});
        return Commands::ProgramBlock.frameSize;
    }
    const FourBytes& p = *password;
    BuildFrame(frame, Commands::ProgramBlockWithPassword,
               {block, data[0], data[1], data[2], data[3], p[0], p[1], p[2], p[3]});
    return Commands::ProgramBlockWithPassword.frameSize;
}

FourBytes FieldBytes(const std::array<std::string, 4>& texts) {
    FourBytes bytes{};
    for (size_t i = 0; i < 4; ++i) bytes[i] = HexPairToByte(texts[i]);
    return bytes;
}

uint8_t ParameterByte(const std::string& text) {
    return static_cast<uint8_t>(static_cast<uint32_t>(StrToInt(text)) & 0xFF);
}

int BuildSetParamFrame(uint8_t* frame, const ProgrammingParameters& p) {
    BuildFrame(frame, Commands::SetParam, {p.wg, p.sg, p.one, p.zero, p.padf});
    return Commands::SetParam.frameSize;
}
