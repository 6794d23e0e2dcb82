// The settings file: reading a key, and writing keys so that every other
// byte stays, through links, with permissions kept, and refused cleanly.
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <iterator>
#include <string>

#include "support/TempFolder.h"
#include "support/Unprivileged.h"

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

TEST(ReadString, FindsTheFirstKeyOfTheFirstSectionOrGivesTheDefault) {
    struct Row {
        std::string content, section, key, expected;
    };
    const Row rows[] = {
        {"[Output]\nk=3\n", "LAST", "k", "<d>"},
        {"[LAST]\nj=3\n", "LAST", "k", "<d>"},
        {"k=3\n[LAST]\n[Output]\nk=3\n", "LAST", "k", "<d>"},  // before and after the section
        {"[LAST]\n;k=3\nk\n", "LAST", "k", "<d>"},             // comment, line without '='
        {"[last]\nK=4\n", "LAST", "k", "4"},
        {" \t[ LAST\t] tail\n\t k \t= \ta = b ; c \t\n", "LAST", "k", "a = b ; c"},
        {"[LAST]\r\nk=4\r\n", "LAST", "k", "4"},
        {"[LAST]\nk=4", "LAST", "k", "4"},
        {"[LAST]\nk=\n", "LAST", "k", ""},
        {"[S]\nk=\" a b \"\n", "S", "k", " a b "},
        {"[S]\nk= 'x' \n", "S", "k", "x"},
        {"[S]\nk=\"\"x\"\"\n", "S", "k", "\"x\""},
        {"[S]\nk=\"x'\n", "S", "k", "\"x'"},
        {"[S]\nk=\"\n", "S", "k", "\""},
        {"[S]\nk=1\nK=2\n", "S", "k", "1"},
        {"[S]\na=1\n[T]\nk=2\n[s]\nk=3\n", "S", "k", "<d>"},
        {std::string("\x01\xff\n\0\0[S]\n", 9) + std::string(1 << 20, '\0') + "\n[S]\nk=a" +
             std::string("\0b\n", 3),
         "S", "k", std::string("a\0b", 3)},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        WriteWholeFile(folder.file("talvor.ini"), row.content);
        EXPECT_EQ(TIniFile(folder.file("talvor.ini")).ReadString(row.section, row.key, "<d>"),
                  row.expected)
            << row.content.substr(0, 60);
    }
}

TEST(ReadString, GivesTheDefaultWithoutAFileAndNeverCreatesIt) {
    TempFolder folder;
    TIniFile ini(folder.file("talvor.ini"));
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
    EXPECT_NE(access(ini.FileName().c_str(), F_OK), 0);
    WriteWholeFile(ini.FileName(), "[S]\nk=1\n");
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "1");  // opened afresh
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
        // A last line cut after its CR is completed, not given a second CR.
        {"[A]\r\nk=1\r", "B", "j", "2", "[A]\r\nk=1\r\n[B]\r\nj=2\r\n"},
        {"[A]\r\nk=1\r", "A", "j", "2", "[A]\r\nk=1\r\nj=2\r\n"},
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

// Root may write anywhere, so the checks run in a child as an unprivileged
// user, to whom the folder is handed. The child reports what went wrong.
TEST(WriteString, ReadOnlyFolderAndUnreadableFile) {
    TempFolder folder;
    const std::string path = folder.file("talvor.ini");
    if (geteuid() == 0) {
        ASSERT_EQ(chown(folder.path().c_str(), 65534, 65534), 0);
    }
    const ChildOutcome child = RunUnprivileged([&] {
        std::string wrong;
        const auto check = [&wrong](bool ok, const std::string& what) {
            if (!ok) wrong += what + "\n";
        };
        const auto refused = [&](const std::string& when) {
            try {
                TIniFile(path).WriteString("LAST", "k", "2");
                check(false, when + ": not refused");
            } catch (const ESettingsWriteError& e) {
                check(e.what() == "Unable to write to " + path, when + ": " + e.what());
            }
        };
        chmod(folder.path().c_str(), 0555);
        refused("read-only folder, no file");
        check(Entries(folder.path()) == 0, "a file appeared");

        chmod(folder.path().c_str(), 0755);
        WriteWholeFile(path, "; keep\n[LAST]\nk=1\n");
        chmod(folder.path().c_str(), 0555);
        // No temporary file can be made: the file is rewritten in place.
        TIniFile(path).WriteStrings("LAST", {{"k", "3"}, {"j", "4"}});
        const std::string kept = "; keep\n[LAST]\nk=3\nj=4\n";
        check(ReadWholeFile(path) == kept, "in place: " + ReadWholeFile(path));

        for (const mode_t mode : {0444, 0200}) {
            chmod(path.c_str(), mode);
            refused("file mode " + std::to_string(mode));
            chmod(path.c_str(), 0644);
            check(ReadWholeFile(path) == kept, "changed under mode " + std::to_string(mode));
        }
        check(Entries(folder.path()) == 1, "a temporary file was left");
        return wrong;
    });
    chmod(folder.path().c_str(), 0755);
    if (child.status == ChildOutcome::kNoUnprivilegedUser) GTEST_SKIP() << child.text;
    ASSERT_EQ(child.status, ChildOutcome::kRan) << child.text;
    EXPECT_EQ(child.text, "");
}

TEST(WriteStrings, GivesTheBytesOfTheSameKeysWrittenOneByOne) {
    const TIniFile::KeyValues keys{{"b", "1"}, {"NEW", "x"}, {"a", ""}, {"new", "y\nz"}};
    const std::string contents[] = {"[S]\n", "; c\r\n[s]\r\nA=0\r\n\r\n[T]\r\nb=2\r\n",
                                    "[T]\nb=1\n[S]\nb=3", std::string("\0[S]\nB=\0\n", 10)};
    for (int i = -1; i < 4; ++i) {  // -1: no file yet
        const std::string* before = i < 0 ? nullptr : &contents[i];
        TempFolder oneByOne, batch;
        if (before) {
            WriteWholeFile(oneByOne.file("talvor.ini"), *before);
            WriteWholeFile(batch.file("talvor.ini"), *before);
        }
        for (const auto& [key, value] : keys)
            TIniFile(oneByOne.file("talvor.ini")).WriteString("S", key, value);
        TIniFile(batch.file("talvor.ini")).WriteStrings("S", keys);
        EXPECT_EQ(ReadWholeFile(batch.file("talvor.ini")),
                  ReadWholeFile(oneByOne.file("talvor.ini")))
            << (before ? *before : "no file");
        EXPECT_EQ(Entries(batch.path()), 1);
    }
}

}  // namespace
