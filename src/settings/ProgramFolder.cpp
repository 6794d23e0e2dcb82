#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <vector>

#include "settings/SettingsLocation.h"

namespace {

std::mutex overrideMutex;
std::string folderOverride;

std::string RunningProgramFolder() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return "./";
        if (static_cast<std::size_t>(n) < buffer.size()) {
            std::string program(buffer.data(), static_cast<std::size_t>(n));
            return program.substr(0, program.rfind('/') + 1);
        }
        buffer.resize(buffer.size() * 2);  // readlink cuts without saying so
    }
}

}  // namespace

std::string ProgramFolder() {
    {
        std::lock_guard<std::mutex> lock(overrideMutex);
        if (!folderOverride.empty()) return folderOverride;
    }
    static const std::string folder = RunningProgramFolder();
    return folder;
}

std::string TranslationFolder() {
    const std::string beside = ProgramFolder() + "locale";
    struct stat st;
    if (stat(beside.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return beside;
    return ProgramFolder() + "../share/talvor/locale";
}

void SetProgramFolderOverride(const std::string& folder) {
    std::lock_guard<std::mutex> lock(overrideMutex);
    folderOverride = folder;
    if (!folderOverride.empty() && folderOverride.back() != '/') folderOverride += '/';
}
