// What the console tells about serial devices: descriptions read from sysfs,
// recognising an adapter that comes back, and the hint after a failed opening.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>

#include "module/DeviceInfo.h"
#include "console/PortHints.h"
#include "link/CPort.h"
#include "support/FakeDeviceTree.h"
#include "support/PtyPair.h"
#include "support/Unprivileged.h"

namespace {

const FakeUsb kReader{"ZQ361 Reader", "Acme", "", "1234", "0001", "usb-Acme_ZQ361_Reader-if00"};

TEST(DeviceInfo, DescriptionsComeFromSysfs) {
    FakeDeviceTree tree;
    tree.plug("ttyUSB0", "ftdi_sio", &kFtdi);
    FakeUsb reader = kReader;
    reader.usbPort = "1-2";
    tree.plug("ttyACM0", "cdc_acm", &reader);
    tree.plug("ttyS4", "serial8250");
    const struct {
        std::string path, description;
    } rows[] = {
        {tree.dev("ttyUSB0"), "FT232R USB UART \u2014 FTDI \u2014 A10K5XYZ (ftdi_sio)"},
        {tree.dev("serial/by-id/" + kFtdi.byId),
         "FT232R USB UART \u2014 FTDI \u2014 A10K5XYZ (ftdi_sio)"},
        {tree.dev("ttyACM0"), "ZQ361 Reader \u2014 Acme (cdc_acm)"},
        {tree.dev("ttyS4"), "Serial port (serial8250)"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DescribeDevice(ReadDeviceInfo(row.path, tree.folders())), row.description);
    EXPECT_EQ(ReadDeviceInfo(tree.dev("ttyUSB0"), tree.folders()).byId,
              std::vector<std::string>{kFtdi.byId});
}

TEST(DeviceInfo, AnAdapterIsRecognisedWhereverItComesBackAndNothingElseIs) {
    FakeUsb otherFtdi = kFtdi;
    otherFtdi.serial = "B20Q9";
    otherFtdi.byId = "usb-FTDI_FT232R_USB_UART_B20Q9-if00-port0";
    FakeUsb otherReader = kReader;
    otherReader.byId = "usb-Acme_ZQ361_Reader_2-if00";
    const struct {
        const char* what;
        std::string lostName, lostDriver;
        const FakeUsb* lost;
        std::string nowName;
        const FakeUsb* now;
        bool same;
    } rows[] = {
        {"same adapter, other node", "ttyUSB0", "ftdi_sio", &kFtdi, "ttyUSB1", &kFtdi, true},
        {"other adapter, same node", "ttyUSB0", "ftdi_sio", &kFtdi, "ttyUSB0", &otherFtdi, false},
        {"same stable name", "ttyACM0", "cdc_acm", &kReader, "ttyACM1", &kReader, true},
        {"other stable name", "ttyACM0", "cdc_acm", &kReader, "ttyACM0", &otherReader, false},
        {"built-in, same path", "ttyS4", "serial8250", nullptr, "ttyS4", nullptr, true},
        {"built-in path, now USB", "ttyS4", "serial8250", nullptr, "ttyS4", &kFtdi, false},
    };
    for (const auto& row : rows) {
        FakeDeviceTree tree;
        tree.plug(row.lostName, row.lostDriver, row.lost);
        const DeviceInfo lost = ReadDeviceInfo(tree.dev(row.lostName), tree.folders());
        tree.unplug(row.lostName);
        tree.plug(row.nowName, row.lostDriver, row.now);
        EXPECT_EQ(SameDevice(lost, ReadDeviceInfo(tree.dev(row.nowName), tree.folders())), row.same)
            << row.what;
    }
}

// The hint for a port that fails to open, as the window shows it.
std::string OpenAndHint(const std::string& path, const HintSources& sources = {}) {
    TComPort port;
    port.SetPort(path);
    try {
        port.Open();
    } catch (const EComPort& e) {
        return PortOpenHint(path, e.WinCode(), sources);
    }
    return "opened";
}

TEST(PortOpenHints, MissingFilesFoldersAndBusyDevices) {
    TempFolder folder;
    WriteWholeFile(folder.file("notes.txt"), "not a port");
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(watch, folder.file("notes.txt").c_str(), IN_OPEN);
    const std::string missing = folder.file("ttyUSB9");
    EXPECT_EQ(OpenAndHint(missing, {{"/dev/ttyS0", "/dev/ttyUSB0"}}),
              "There is no device " + missing + "; present: /dev/ttyS0, /dev/ttyUSB0.");
    EXPECT_EQ(OpenAndHint(missing),
              "There is no device " + missing + ", and no serial port is present.");
    EXPECT_EQ(
        OpenAndHint(folder.file("notes.txt")),
        folder.file("notes.txt") + " is a regular file, not a serial device: nothing was opened.");
    char event[256];
    EXPECT_LT(read(watch, event, sizeof event), 0);  // not even opened to look
    close(watch);
    EXPECT_EQ(OpenAndHint(folder.path()),
              folder.path() + " is a folder, not a serial device: nothing was opened.");

    // Held through its lock, which names the holder, here this very program.
    PtyPair pty;
    TComPort holder;
    holder.SetPort(pty.slavePath());
    holder.Open();
    EXPECT_EQ(OpenAndHint(pty.slavePath())
                  .rfind(pty.slavePath() + " is already open in this program (", 0),
              0u);
    EXPECT_NE(OpenAndHint(pty.slavePath()).find("pid " + std::to_string(getpid()) + ")"),
              std::string::npos);
}

TEST(PortOpenHints, ServicesThatGrabNewDevicesAreNamed) {
    PtyPair pty;
    struct stat st;
    ASSERT_EQ(stat(pty.slavePath().c_str(), &st), 0);
    char inode[64];
    std::snprintf(inode, sizeof inode, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    const std::string path = pty.slavePath();
    const struct {
        std::string locks, comm;
        bool hasItOpen;
        std::string hint;
    } rows[] = {
        {"1: FLOCK  ADVISORY  WRITE 812 " + std::string(inode) + " 0 EOF\n", "ModemManager", false,
         path + " is held by another program: ModemManager (pid 812) probes new serial devices "
                "for a modem: wait a few seconds and try again, or tell it to leave this device "
                "alone."},
        {"1: FLOCK  ADVISORY  WRITE 812 " + std::string(inode) + " 0 EOF\n", "minicom", false,
         path + " is held by another program (minicom, pid 812): close it and try again."},
        {"", "brltty", true,
         path + " is held by another program: brltty (pid 812) takes new serial devices for a "
                "braille display: if you use none, remove the brltty package."},
        {"", "bash", true,
         path + " is held by another program that opened it exclusively: close it and try again."},
    };
    for (const auto& row : rows) {
        TempFolder proc;
        WriteWholeFile(proc.file("locks"), row.locks);
        std::filesystem::create_directories(proc.file("812/fd"));
        WriteWholeFile(proc.file("812/comm"), row.comm + "\n");
        if (row.hasItOpen) std::filesystem::create_symlink(path, proc.file("812/fd/5"));
        HintSources sources;
        sources.procDir = proc.path();
        EXPECT_EQ(PortOpenHint(path, EBUSY, sources), row.hint) << row.comm;
    }
}

TEST(PortOpenHints, MissingPermissionNamesTheGroupToJoin) {
    PtyPair pty;
    const std::string path = pty.slavePath();
    // The group of terminals stands for the serial group of a real system.
    const gid_t ttyGroup = 5;
    if (chown(path.c_str(), 0, ttyGroup) != 0 || chmod(path.c_str(), 0660) != 0)
        GTEST_SKIP() << "needs root to give the device to a group";
    const ChildOutcome outcome = RunUnprivileged([&] { return OpenAndHint(path); });
    if (outcome.status == ChildOutcome::kNoUnprivilegedUser) GTEST_SKIP() << outcome.text;
    ASSERT_EQ(outcome.status, ChildOutcome::kRan) << outcome.text;
    const struct group* g = getgrgid(ttyGroup);
    ASSERT_NE(g, nullptr);
    EXPECT_NE(outcome.text.find("is not in the group \"" + std::string(g->gr_name) +
                                "\" that owns " + path),
              std::string::npos)
        << outcome.text;
    EXPECT_NE(outcome.text.find("then log out and in again."), std::string::npos) << outcome.text;
}

}  // namespace
