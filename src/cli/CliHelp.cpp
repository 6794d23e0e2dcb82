#include <map>

#include "cli/CliCommands.h"

namespace {

const std::map<std::string, const char*>& texts() {
    static const std::map<std::string, const char*> all{
        {"",
         "Usage: talvor-cli [OPTIONS] COMMAND [COMMAND OPTIONS]\n"
         "Drives a ZQ361 RFID reader module on a serial port.\n"
         "\n"
         "Commands:\n"
         "  ports [--json]           the serial devices\n"
         "  firmware                 the firmware version text\n"
         "  reset | sleep            software reset, sleep\n"
         "  input                    input 0: prints 1 or 0\n"
         "  output STATE             outputs: 0 to 3 (bit 1 Output1, bit 0 Output0)\n"
         "  config [--json]          the stored configuration\n"
         "  read [...]               read tags, one line per tag frame\n"
         "  set WHAT [...]           auto, output, bytetrack, i2c, calibration, param, baud\n"
         "  program [...]            program one transponder block\n"
         "  profile save|apply|diff  module profiles\n"
         "\n"
         "Options:\n"
         "  --port DEVICE            serial device (a name without / is under /dev)\n"
         "  --baud RATE              9600, 19200 (default), 38400, 57600, 115200\n"
         "  --timeout-ms MS          how long one answer is waited for (default 200)\n"
         "  --simulator              use a simulated module in this process\n"
         "  --simulator-tag          ...with a tag in its field\n"
         "  -v, --verbose            every TX/RX line on standard error, as the window logs it\n"
         "  -h, --help               this text; COMMAND --help for a command\n"
         "\n"
         "Exit status: 0 done; 1 the module refused or answered unexpectedly; 2 bad usage\n"
         "or a refused field; 3 the port could not be opened or was lost; 4 time-out.\n"},
        {"ports",
         "Usage: talvor-cli ports [--json]\n"
         "Lists the serial devices with what the system tells about them.\n"},
        {"firmware", "Usage: talvor-cli firmware\nPrints the module's firmware version text.\n"},
        {"reset", "Usage: talvor-cli reset\nSoftware reset of the module.\n"},
        {"sleep",
         "Usage: talvor-cli sleep\nPuts the module to sleep; the next command wakes it.\n"},
        {"input",
         "Usage: talvor-cli input\nPrints the level of input 0: 1 or 0 (the module answers "
         "0x66 for 0).\n"},
        {"output",
         "Usage: talvor-cli output STATE\nSets the outputs: STATE 0 to 3, bit 1 Output1, "
         "bit 0 Output0.\n"},
        {"config",
         "Usage: talvor-cli config [--json]\n"
         "Prints the configuration report, the lines of the window's Get ZQ361 Configuration;\n"
         "with --json every field of the configuration block by name, raw and decoded.\n"},
        {"read",
         "Usage: talvor-cli read [--type 1..4] [--blocks N] [--password HEX8] [--once]\n"
         "                       [--count N] [--timeout S] [--json]\n"
         "Starts reading and prints each tag frame as hex text (with --json one JSON object\n"
         "per line, with a time stamp) until --count frames, --timeout seconds or Ctrl-C;\n"
         "then Stop Read is sent. --once sends One Shot Read and waits for one frame.\n"
         "Read types: 1 Byte Track RF/64, 2 EM4100 raw, 3 EM4100 decoded (default),\n"
         "4 Byte Track RF/32. A read ends with the first tag unless the module's auto\n"
         "mode is on, so it is started again after each frame.\n"},
        {"set",
         "Usage: talvor-cli set WHAT [OPTIONS]\n"
         "  set auto --enable|--disable [--type 1..4] [--blocks N] [--send-password]\n"
         "           [--password HEX8]\n"
         "  set output [--uart ascii|protocol [--cr] [--lf]]\n"
         "             [--wiegand --facility 1..28|--facility-code HH --id1 1..28 --id2 1..28]\n"
         "             [--output0 TIME]          (high time in units of 30 ms, 1 to 255)\n"
         "  set bytetrack --track 'HH [HH [HH [HH]]]'\n"
         "  set i2c --enable --address HH | --disable\n"
         "  set calibration [--radf 92..100] [--g1 GAIN --g2 GAIN] [--a1 1..3 --a2 1..3 --a3 "
         "1..3]\n"
         "  set param --wg N --sg N --one N --zero N --padf N\n"
         "  set baud RATE            (the module takes it at its next reset)\n"
         "A field the window's dialog would refuse is refused before anything is sent.\n"},
        {"program",
         "Usage: talvor-cli program --block 0..7 --data HEX8 [--password HEX8] [--yes-block0]\n"
         "Programs one transponder block. Block 0 is the transponder's configuration: a\n"
         "wrong one can make it unreadable, so it is written only with --yes-block0.\n"},
        {"profile",
         "Usage: talvor-cli profile save FILE\n"
         "       talvor-cli profile apply FILE [--verify] [--dry-run] [--baud-too]\n"
         "       talvor-cli profile diff FILE\n"
         "save writes the module's configuration as a profile; apply sends the set commands\n"
         "that reproduce it (Stop Read first, the baud rate only with --baud-too and last),\n"
         "--verify reads it back and compares, --dry-run prints the frames instead; diff\n"
         "prints the fields where the module differs from the profile (exit status 1 when\n"
         "any does).\n"},
    };
    return all;
}

}  // namespace

const char* HelpText(const std::string& command) {
    const auto at = texts().find(command);
    return at == texts().end() ? nullptr : at->second;
}
