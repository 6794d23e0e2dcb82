#include "module/ReadCommands.h"

#include "link/CommandTable.h"

int BuildReadTagFrame(uint8_t* frame, uint8_t readType, uint8_t blocks,
                      const std::optional<FourBytes>& password) {
    if (!password) {
        BuildFrame(frame, Commands::ReadTag, {readType, blocks});
        return Commands::ReadTag.frameSize;
    }
    const FourBytes& p = *password;
    BuildFrame(frame, Commands::ReadTagWithPassword, {readType, blocks, p[0], p[1], p[2], p[3]});
    return Commands::ReadTagWithPassword.frameSize;
}

int BuildOneShotReadFrame(uint8_t* frame, uint8_t readType, uint8_t blocks) {
    BuildFrame(frame, Commands::OneShotRead, {readType, blocks, 0x01});
    return Commands::OneShotRead.frameSize;
}

int BuildStopReadFrame(uint8_t* frame) {
    BuildFrame(frame, Commands::StopRead, {});
    return Commands::StopRead.frameSize;
}

int BuildSetAutoModeFrame(uint8_t* frame, const AutoModeSettings& s) {
    const FourBytes& p = s.password;
    BuildFrame(frame, Commands::SetAutoMode,
               {static_cast<uint8_t>(s.enabled ? 0x01 : 0x00), s.readType, s.blocks,
                static_cast<uint8_t>(s.sendPassword ? 0x01 : 0x00), p[0], p[1], p[2], p[3]});
    return Commands::SetAutoMode.frameSize;
}
