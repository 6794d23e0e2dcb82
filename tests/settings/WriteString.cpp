#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <iterator>
#include <string>

#include "settings/SettingsFile.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// How many entries a folder holds: a temporary file left behind shows here.
long Entries(const std::string& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

void ExpectRefused(const std::string& path) {
    try {
        TIniFile(path).WriteString("LAST", "k", "2");
        ADD_FAILURE() << "write to " << path << " was not refused";
    } catch (const ESettingsWriteError& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + path).c_str());
    }
}

TEST(WriteString, ChangesOneKeyAndKeepsEveryOtherByte) {
    const std::string f = "; T\ntop=1\n[LAST]\n  CMB_Baud = 3 \njunk\np=0\n\n[O]\nx=y\n";
    struct Row {
        std::string before, section, key, value, after;
    } const rows[] = {
        {f, "last", "cmb_baud", "4", "; T\ntop=1\n[LAST]\nCMB_Baud=4\njunk\np=0\n\n[O]\nx=y\n"},
        {f, "LAST", "q", "/dev/x",
         "; T\ntop=1\n[LAST]\n  CMB_Baud = 3 \njunk\np=0\nq=/dev/x\n\n[O]\nx=y\n"},
        {f, "New", "k", "-1", f + "[New]\nk=-1\n"},
        {"[I]\n\n; c\n[X]\n", "I", "k", "0", "[I]\nk=0\n\n; c\n[X]\n"},
        {"[A]\nk=1", "B", "z", "9", "[A]\nk=1\n[B]\nz=9\n"},
        {"[A]\nk=1", "A", "z", "9", "[A]\nk=1\nz=9\n"},
        {"[A]\nk=1\nk=2\n[B]\n[a]\nk=3\n", "a", "k", "4", "[A]\nk=4\nk=2\n[B]\n[a]\nk=3\n"},
        {"[A]\r\nk=1\r\n", "A", "k", "2", "[A]\r\nk=2\r\n"},
        {"[A]\r\nk=1\r\n", "B", "j", "2", "[A]\r\nk=1\r\n[B]\r\nj=2\r\n"},
        {"", "A", "k", "x\n[B]\r\ny", "[A]\nk=x [B]  y\n"},
        {std::string("\0\xff\n[A]\nk=\0\n", 10), "A", "k", "1",
         std::string("\0\xff\n[A]\nk=1\n", 10)},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        WriteWholeFile(folder.file("talvor.ini"), row.before);
        TIniFile(folder.file("talvor.ini")).WriteString(row.section, row.key, row.value);
        EXPECT_EQ(ReadWholeFile(folder.file("talvor.ini")), row.after) << row.before;
        EXPECT_EQ(Entries(folder.path()), 1) << row.before;
    }
}

TEST(WriteString, CreatesTheFileAndKeepsItsPermissions) {
    TempFolder folder;
    const std::string path = folder.file("talvor.ini");
    TIniFile ini(path);
    ini.WriteString("LAST", "cmb_baud", "2");
    const mode_t mask = umask(022);
    umask(mask);
    EXPECT_EQ(ModeOf(path), 0666 & ~mask);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ini.WriteString("I2C", "Address", " 5A ");
    EXPECT_EQ(ReadWholeFile(path), "[LAST]\ncmb_baud=2\n[I2C]\nAddress= 5A \n");
    EXPECT_EQ(ModeOf(path), 0640u);
}

TEST(WriteString, ThroughASymbolicLinkChangesTheTarget) {
    TempFolder folder;
    fs::create_directory(folder.file("real"));
    WriteWholeFile(folder.file("real/target.ini"), "[A]\nk=1\n");
    fs::create_symlink("real/target.ini", folder.file("talvor.ini"));
    fs::create_symlink("real/later.ini", folder.file("dangling.ini"));
    TIniFile(folder.file("talvor.ini")).WriteString("A", "k", "2");
    TIniFile(folder.file("dangling.ini")).WriteString("A", "k", "3");
    EXPECT_EQ(ReadWholeFile(folder.file("real/target.ini")), "[A]\nk=2\n");
    EXPECT_EQ(ReadWholeFile(folder.file("real/later.ini")), "[A]\nk=3\n");
    EXPECT_EQ(Entries(folder.path()) + Entries(folder.file("real")), 5);  // links kept, no temp
}

// These refusals happen for root too.
TEST(WriteString, RefusesAFolderAndAFullDiskLeavingEverythingAsItWas) {
    TempFolder folder;
    const std::string path = folder.file("talvor.ini");
    fs::create_directory(path);
    ExpectRefused(path);
    ExpectRefused(folder.file("missing/talvor.ini"));
    EXPECT_EQ(Entries(folder.path()) + Entries(path), 1);

    fs::remove(path);
    const std::string old = "[LAST]\nk=1\n" + std::string(8192, ';') + "\n";
    WriteWholeFile(path, old);
    // A file size limit makes writes fail with EFBIG, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    ExpectRefused(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(ReadWholeFile(path), old);
    EXPECT_EQ(Entries(folder.path()), 1);
}

TEST(WriteString, ReadOnlyFolderAndUnreadableFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores file permissions";
    TempFolder folder;
    const std::string path = folder.file("talvor.ini");
    ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
    ExpectRefused(path);
    EXPECT_EQ(Entries(folder.path()), 0);

    ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
    WriteWholeFile(path, "; keep\n[LAST]\nk=1\n");
    ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
    TIniFile(path).WriteString("LAST", "k", "3");  // rewritten in place
    EXPECT_EQ(ReadWholeFile(path), "; keep\n[LAST]\nk=3\n");

    for (mode_t mode : {0444, 0200}) {
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        ExpectRefused(path);
        ASSERT_EQ(chmod(path.c_str(), 0644), 0);
        EXPECT_EQ(ReadWholeFile(path), "; keep\n[LAST]\nk=3\n") << std::oct << mode;
    }
    EXPECT_EQ(Entries(folder.path()), 1);
}

}  // namespace
