#include "link/LogLines.h"

#include <stdexcept>

#include "link/CommandTable.h"

namespace {

using Reply = CommandLines::Reply;
using namespace ReplyCodes;

const std::string kSuccess = std::string(RxPrefix::Success) + "{reply}";
const std::string kUnrecognized = std::string(RxPrefix::Unrecognized) + "{reply}";
const std::string kFlashWriteError = std::string(RxPrefix::FlashWriteError) + "{reply}";
// The two programming dialogs put the reply text first.
const std::string kUnrecognizedAfterReply = "RX >{reply}\t\t\tUnrecognized Response";
const std::vector<Reply> kCalibrationSetReplies{{Success, kSuccess},
                                                {FlashError, kFlashWriteError}};

}  // namespace

std::string FormatLine(const std::string& shape, const LineFields& fields) {
    std::string line;
    std::size_t at = 0;
    for (std::size_t open; (open = shape.find('{', at)) != std::string::npos;) {
        const std::size_t close = shape.find('}', open);
        if (close == std::string::npos) break;
        const std::string name = shape.substr(open + 1, close - open - 1);
        const std::string* value = nullptr;
        for (const auto& field : fields)
            if (field.first == name) value = &field.second;
        if (!value) throw std::logic_error("no value for {" + name + "} in a log line");
        line.append(shape, at, open - at);
        line += *value;
        at = close + 1;
    }
    line.append(shape, at, std::string::npos);
    return line;
}

namespace MainWindowLines {
const CommandLines ReadTag{"TX > Read Tag\t\t{frame}", {{Success, kSuccess}}, kUnrecognized};
const CommandLines ReadTagWithPassword{
    "TX > Read Tag w pass\t{frame}", {{Success, kSuccess}}, kUnrecognized};
// The hex text ends in a blank, so two blanks come before "Note:".
const CommandLines OneShotRead{
    "TX > One Shot Read\t{frame} Note: Please disable Auto Mode if it is already enabled for best "
    "usage of this command",
    {{Success, kSuccess}},
    kUnrecognized};
const CommandLines StopRead{"TX > Stop Read\t\t{frame}", {{Success, kSuccess}}, kUnrecognized};
const CommandLines SetAutoMode{"TX > Set Auto Mode\t{frame}", {{Success, kSuccess}}, kUnrecognized};
const CommandLines Firmware{
    "TX > Firmware\t\t{frame}",
    {{ReplyCodes::Firmware, "RX > Firmware:\"{data}\"\t{reply}"}, {FlashError, kFlashWriteError}},
    kUnrecognized};
const CommandLines Reset{"TX > Reset\t\t{frame}", {{Success, kSuccess}}, kUnrecognized};
const CommandLines Sleep{"TX > Sleep\t\t{frame}", {{Success, kSuccess}}, kUnrecognized};
// One tab after the name and three before the reply, unlike the others.
const CommandLines Outputs{"TX > Output1>{output1} Output0>{output0}\t{frame}",
                           {{Success, "RX > Success\t\t\t{reply}"}},
                           kUnrecognized};
const CommandLines ReadInput0{"TX > Read Input0\t\t{frame}",
                              {{Success, "RX > Input0 is Logic 1\t\t{reply}"},
                               {FlashError, "RX > Input0 is Logic 0\t\t{reply}"}},
                              kUnrecognized};
const CommandLines ReadConfig{
    "TX > Read Config\t{frame}", {{CommandLines::kAnyCode, kSuccess}}, kUnrecognized};
}  // namespace MainWindowLines

namespace CalibrationLines {
const CommandLines SetRadf{"TX >Set RADF ({radf})\t\t\t{frame}", kCalibrationSetReplies,
                           kUnrecognized};
const CommandLines SetA{"TX >Set A1/A2/A3 ({a1},{a2},{a3})\t\t{frame}", kCalibrationSetReplies,
                        kUnrecognized};
const CommandLines SetG{"TX >Set G1/G2 ({g1},{g2})\t\t{frame}", kCalibrationSetReplies,
                        kUnrecognized};
// No closing parenthesis here.
const CommandLines SetGRange{"TX >Set G1/G2 /{g1},{g2}\t\t{frame}", kCalibrationSetReplies,
                             kUnrecognized};
}  // namespace CalibrationLines

namespace TagProgrammingLines {
const CommandLines ProgramBlock{"TX >{frame}\tProgram Block{block} with data: {fields}",
                                {{Success, "RX >{reply}\t\t\t Success"}},
                                kUnrecognizedAfterReply};
const CommandLines ProgramBlockWithPassword{
    "TX >{frame}\tProgram Block{block} with data: {fields} with password:{password}",
    {{Success, "RX >{reply}\t\t\t Success"}},
    kUnrecognizedAfterReply};
}  // namespace TagProgrammingLines

namespace ProgrammingParametersLines {
const CommandLines SetParam{"TX >{frame}\t\t\tSet Param",
                            {{Success, "RX >{reply}\t\t\t\tSuccess"}},
                            kUnrecognizedAfterReply};
}

namespace OutputSelectionLines {
const CommandLines SetOutputParameters{
    "TX > Set Output Parameters\t\t\t{frame}", {{Success, kSuccess}}, kUnrecognized};
}

namespace BaudRateLines {
const CommandLines SetBaud{
    "TX > Set Baud\t\t\t{frame}",
    {{Success, kSuccess}, {FlashError, std::string(RxPrefix::FlashWriteErrorSetBaud) + "{reply}"}},
    kUnrecognized};
const char* const ResetToUseNewRate = "Please reset module to communicate with the new baud rate";
}  // namespace BaudRateLines

namespace ByteTrackLines {
const CommandLines SetByteTrack{
    "TX > Set Byte Track\t{frame}", {{Success, kSuccess}}, kUnrecognized};
}

namespace I2CLines {
const CommandLines SetI2C{"TX > Set I2C\t{frame}", {{Success, kSuccess}}, kUnrecognized};
}
