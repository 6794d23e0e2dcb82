// The module's housekeeping commands of the Tools menu.
#include "console/CommandExchange.h"
#include "console/Unit1.h"
#include "link/CommandTable.h"
#include "module/ModuleCommands.h"

void TForm1::Button5Click() {
    RunCommand(ConstantFrame(Commands::Firmware), MainWindowLines::Firmware);
}

void TForm1::Button6Click() { RunCommand(ConstantFrame(Commands::Reset), MainWindowLines::Reset); }

void TForm1::Sleep1Click() { RunCommand(ConstantFrame(Commands::Sleep), MainWindowLines::Sleep); }

// Output 1 in bit 1, output 0 in bit 0.
void TForm1::sendOutputs(uint8_t state) {
    RunCommand(
        ConstantFrame(Commands::SetOutputs, {state}), MainWindowLines::Outputs,
        {{"output1", std::to_string((state >> 1) & 1)}, {"output0", std::to_string(state & 1)}});
}

void TForm1::Output00Output101Click() { sendOutputs(0); }
void TForm1::Output001Click() { sendOutputs(1); }
void TForm1::Output11Output001Click() { sendOutputs(2); }
// Its caption reads "Output1>1 Output1>1"; the log names what is sent.
void TForm1::Output11Output111Click() { sendOutputs(3); }

void TForm1::ReadInput01Click() {
    RunCommand(ConstantFrame(Commands::ReadInput0), MainWindowLines::ReadInput0);
}

void TForm1::ReadFirmwareVersionn1Click() { Button5Click(); }
void TForm1::SoftwareReset1Click() { Button6Click(); }
