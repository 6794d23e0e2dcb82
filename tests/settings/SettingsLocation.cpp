#include "settings/SettingsLocation.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "settings/SettingsFile.h"
#include "support/TempFolder.h"
#include "support/Unprivileged.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The program folder is one the user may or may not write to; the home and
// XDG_CONFIG_HOME folders are the user's. The child writes one choice.
TEST(SettingsLocation, BesideTheProgramWhenPortableElseInTheUsersConfigFolder) {
    struct Row {
        const char* layout;
        bool programFolderWritable, holdsSettingsFile;
        const char* xdgConfigHome;  // nullptr: unset
        std::string expectedFolder;
    };
    const Row rows[] = {
        {"writable program folder", true, false, "xdg", "program/"},
        {"read-only program folder holding talvor.ini", false, true, "xdg", "program/"},
        {"read-only program folder", false, false, "xdg", "xdg/talvor/"},
        {"read-only, XDG_CONFIG_HOME unset", false, false, nullptr, "home/.config/talvor/"},
        {"read-only, XDG_CONFIG_HOME empty", false, false, "", "home/.config/talvor/"},
        {"read-only, XDG_CONFIG_HOME relative", false, false, "cfg", "home/.config/talvor/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.layout);
        TempFolder root;
        const std::string program = root.file("program/"), home = root.file("home/");
        std::string xdg = row.xdgConfigHome ? row.xdgConfigHome : "";
        if (xdg == "xdg") xdg = root.file("xdg");
        ASSERT_EQ(chmod(root.path().c_str(), 0755), 0);
        for (const std::string& folder : {program, home, root.file("xdg/")}) {
            ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
            ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
        }
        if (row.holdsSettingsFile) {
            WriteWholeFile(program + "talvor.ini", "[LAST]\ncmb_baud=1\n");
            ASSERT_EQ(chmod((program + "talvor.ini").c_str(), 0666), 0);
        }
        if (!row.programFolderWritable) {
            ASSERT_EQ(chmod(program.c_str(), 0555), 0);
        }

        const ChildOutcome child = RunUnprivileged([&] {
            SetProgramFolderOverride(program);
            setenv("HOME", home.c_str(), 1);
            if (row.xdgConfigHome) {
                setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
            } else {
                unsetenv("XDG_CONFIG_HOME");
            }
            const std::string path = SettingsPath();
            const bool folderBeforeWriting = IsFolder(SettingsFolder());
            TIniFile(path).WriteString("LAST", "cmb_baud", "3");
            return path + (folderBeforeWriting ? "|folder existed" : "|folder created");
        });
        chmod(program.c_str(), 0755);  // so the temporary folder can be removed
        if (child.status == ChildOutcome::kNoUnprivilegedUser) GTEST_SKIP() << child.text;
        ASSERT_EQ(child.status, ChildOutcome::kRan) << child.text;

        const std::string expectedPath = root.file(row.expectedFolder) + "talvor.ini";
        const bool portable = row.expectedFolder == "program/";
        EXPECT_EQ(child.text, expectedPath + (portable ? "|folder existed" : "|folder created"));
        EXPECT_EQ(TIniFile(expectedPath).ReadString("LAST", "cmb_baud", "absent"), "3");
    }
}

TEST(ProgramFolder, IsTheRunningProgramsFolderUnlessOverridden) {
    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    const std::string program(exe), own = program.substr(0, program.rfind('/') + 1);
    EXPECT_EQ(ProgramFolder(), own);
    EXPECT_EQ(SettingsPath(), own + "talvor.ini");

    TempFolder folder;
    SetProgramFolderOverride(folder.path().substr(0, folder.path().size() - 1));
    EXPECT_EQ(ProgramFolder(), folder.path());
    EXPECT_EQ(SettingsPath(), folder.file("talvor.ini"));
    SetProgramFolderOverride("");
    EXPECT_EQ(ProgramFolder(), own);
}

}  // namespace
