// What the activity log says about each command, one table per window: the
// TX line, the RX line of each accepted reply code (in the order the codes are
// tested) and the RX line of any other answer. The windows word the same
// exchange differently, so each keeps its own shapes; the reply prefixes that
// several windows share are defined once.
//
// A shape holds named fields in braces: {frame} is the hex text of the frame
// sent, {reply} the reply text, {data} the data text (one character per byte),
// and a command's own values ({block}, {radf}, ...) are given by its caller.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// RX prefixes several windows share; the reply text follows them.
namespace RxPrefix {
inline constexpr char Success[] = "RX > Success\t\t";
inline constexpr char Unrecognized[] = "RX > Unrecognized Response!\t\t\t";
// Reply code 0x66 of the firmware query and the calibration set commands.
inline constexpr char FlashWriteError[] = "RX > Flash wRite Eror!\t\t";
// Reply code 0x66 of Set Baud, which spells it differently.
inline constexpr char FlashWriteErrorSetBaud[] = "RX > Flash write Eror!\t\t";
}  // namespace RxPrefix

struct CommandLines {
    struct Reply {
        int code;  // the reply code, or kAnyCode
        std::string line;
    };
    // Read Config judges its answer by the length alone: any code is reported.
    static constexpr int kAnyCode = -1;

    std::string sent;
    std::vector<Reply> replies;
    std::string otherwise;
};

using LineFields = std::vector<std::pair<std::string, std::string>>;
// The shape with every {name} replaced by its field's value. Values are not
// searched for further names. A name without a value is a programming error
// and throws std::logic_error.
std::string FormatLine(const std::string& shape, const LineFields& fields);

namespace MainWindowLines {
extern const CommandLines ReadTag;
extern const CommandLines ReadTagWithPassword;
extern const CommandLines OneShotRead;
extern const CommandLines StopRead;
extern const CommandLines SetAutoMode;
extern const CommandLines Firmware;
extern const CommandLines Reset;
extern const CommandLines Sleep;
extern const CommandLines Outputs;  // {output1}, {output0}: the levels, 0 or 1
extern const CommandLines ReadInput0;
extern const CommandLines ReadConfig;
}  // namespace MainWindowLines

namespace CalibrationLines {
extern const CommandLines SetRadf;    // {radf}: two hex digits
extern const CommandLines SetA;       // {a1}, {a2}, {a3}: decimal
extern const CommandLines SetG;       // {g1}, {g2}: the value selectors' texts
extern const CommandLines SetGRange;  // {g1}, {g2}: labels of the calibration G list
}  // namespace CalibrationLines

namespace TagProgrammingLines {
// {block}: the block number; {fields}, {password}: the field texts joined by blanks.
extern const CommandLines ProgramBlock;
extern const CommandLines ProgramBlockWithPassword;
}  // namespace TagProgrammingLines

namespace ProgrammingParametersLines {
extern const CommandLines SetParam;
}

namespace OutputSelectionLines {
extern const CommandLines SetOutputParameters;
}

namespace BaudRateLines {
extern const CommandLines SetBaud;
// After a successful change: the module takes the rate when it is reset.
extern const char* const ResetToUseNewRate;
}  // namespace BaudRateLines

namespace ByteTrackLines {
extern const CommandLines SetByteTrack;
}

namespace I2CLines {
extern const CommandLines SetI2C;
}
