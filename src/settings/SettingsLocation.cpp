#include "settings/SettingsLocation.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "settings/SettingsLocation.h"

namespace {

const char kFileName[] = "talvor.ini";

std::string WithoutTrailingSlashes(std::string folder) {
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    // A session started without HOME (a service, su -) still has a passwd entry.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return found->pw_dir;
    return std::string();
}

// "" when the user has no home to hold it.
std::string PerUserFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // A relative value is ignored, or the file would follow the working folder.
    if (config && config[0] == '/') return WithoutTrailingSlashes(config) + "/talvor/";
    const std::string home = HomeFolder();
    if (home.empty()) return std::string();
    return WithoutTrailingSlashes(home) + "/.config/talvor/";
}

bool PortableLayout(const std::string& programFolder) {
    return access((programFolder + kFileName).c_str(), F_OK) == 0 ||
           access(programFolder.c_str(), W_OK) == 0;
}

}  // namespace

std::string SettingsFolder() {
    const std::string programFolder = ProgramFolder();
    if (PortableLayout(programFolder)) return programFolder;
    const std::string perUser = PerUserFolder();
    // Without a home the program folder stays, and writing reports it as refused.
    return perUser.empty() ? programFolder : perUser;
}

std::string SettingsPath() { return SettingsFolder() + kFileName; }

bool CreateSettingsFolder() {
    const std::string folder = SettingsFolder();
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        struct stat st;
        if (mkdir(part.c_str(), 0700) != 0 &&
            (stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
            return false;
    }
    return true;
}
