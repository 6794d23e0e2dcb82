#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "settings/SettingsFile.h"
#include "support/TempFolder.h"

namespace {

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
