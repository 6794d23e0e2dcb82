// The module's housekeeping commands of the Tools menu.
#include "console/CommandExchange.h"
#include "console/Unit1.h"
#include "link/CommandTable.h"

namespace {

FrameBuilder constantFrame(const CommandSpec& command, std::initializer_list<uint8_t> data = {}) {
    std::vector<uint8_t> bytes(data);
    return [&command, bytes](uint8_t* f) {
        BuildFrame(f, command, {});
        for (size_t i = 0; i < bytes.size(); ++i) f[4 + i] = bytes[i];
        return command.frameSize;
    };
}

}  // namespace

void TForm1::Button5Click() {
    RunCommand(constantFrame(Commands::Firmware), MainWindowLines::Firmware);
}

void TForm1::Button6Click() { RunCommand(constantFrame(Commands::Reset), MainWindowLines::Reset); }

void TForm1::Sleep1Click() { RunCommand(constantFrame(Commands::Sleep), MainWindowLines::Sleep); }

// Output 1 in bit 1, output 0 in bit 0.
void TForm1::sendOutputs(uint8_t state) {
    RunCommand(
        constantFrame(Commands::SetOutputs, {state}), MainWindowLines::Outputs,
        {{"output1", std::to_string((state >> 1) & 1)}, {"output0", std::to_string(state & 1)}});
}

void TForm1::Output00Output101Click() { sendOutputs(0); }
void TForm1::Output001Click() { sendOutputs(1); }
void TForm1::Output11Output001Click() { sendOutputs(2); }
// Its caption reads "Output1>1 Output1>1"; the log names what is sent.
void TForm1::Output11Output111Click() { sendOutputs(3); }

void TForm1::ReadInput01Click() {
    RunCommand(constantFrame(Commands::ReadInput0), MainWindowLines::ReadInput0);
}

void TForm1::ReadFirmwareVersionn1Click() { Button5Click(); }
void TForm1::SoftwareReset1Click() { Button6Click(); }
