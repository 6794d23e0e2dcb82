// The module's housekeeping commands of the Tools menu.
#include "console/CommandExchange.h"
#include "console/Unit1.h"
#include "link/CommandTable.h"
#include "link/Conversions.h"

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
    RunCommand(constantFrame(Commands::Firmware), "TX > Firmware\t\t",
               {{"50", "",
                 [](const std::string& data) {
                     return "RX > Firmware:\"" + ByteCharacters(data) + "\"\t";
                 }},
                {"66", "RX > Flash wRite Eror!\t\t", {}}});
}

void TForm1::Button6Click() {
    RunCommand(constantFrame(Commands::Reset), "TX > Reset\t\t", {{"99", "RX > Success\t\t", {}}});
}

void TForm1::Sleep1Click() {
    RunCommand(constantFrame(Commands::Sleep), "TX > Sleep\t\t", {{"99", "RX > Success\t\t", {}}});
}

void TForm1::sendOutputs(uint8_t state, const char* name) {
    RunCommand(constantFrame(Commands::SetOutputs, {state}), std::string("TX > ") + name + "\t",
               {{"99", "RX > Success\t\t\t", {}}});
}

void TForm1::Output00Output101Click() { sendOutputs(0, "Output1>0 Output0>0"); }
void TForm1::Output001Click() { sendOutputs(1, "Output1>0 Output0>1"); }
void TForm1::Output11Output001Click() { sendOutputs(2, "Output1>1 Output0>0"); }
// The menu caption reads "Output1>1 Output1>1"; the log names what is sent.
void TForm1::Output11Output111Click() { sendOutputs(3, "Output1>1 Output0>1"); }

void TForm1::ReadInput01Click() {
    RunCommand(
        constantFrame(Commands::ReadInput0), "TX > Read Input0\t\t",
        {{"99", "RX > Input0 is Logic 1\t\t", {}}, {"66", "RX > Input0 is Logic 0\t\t", {}}});
}

void TForm1::ReadFirmwareVersionn1Click() { Button5Click(); }
void TForm1::SoftwareReset1Click() { Button6Click(); }
