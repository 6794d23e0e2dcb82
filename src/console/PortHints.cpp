#include "console/PortHints.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Comm(const std::string& procDir, long pid) {
    std::ifstream in(procDir + "/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

// The process holding a lock on the device's inode (flock, as every careful
// serial program takes, ours included); 0 when none is listed.
long LockHolder(const std::string& procDir, const struct stat& device) {
    char inode[64];
    std::snprintf(inode, sizeof inode, "%02x:%02x:%llu", major(device.st_dev), minor(device.st_dev),
                  static_cast<unsigned long long>(device.st_ino));
    std::ifstream locks(procDir + "/locks");
    std::string line;
    while (std::getline(locks, line)) {
        // "1: FLOCK  ADVISORY  WRITE 1234 00:05:123 0 EOF"; waiters have "->".
        std::istringstream fields(line);
        std::string id, kind, mode, access, where;
        long pid = 0;
        if (!(fields >> id >> kind) || kind == "->") continue;
        if ((fields >> mode >> access >> pid >> where) && where == inode) return pid;
    }
    return 0;
}

// Services that take serial devices on their own as soon as they appear.
struct Grabber {
    const char* comm;
    const char* advice;
};
const Grabber kGrabbers[] = {
    {"ModemManager",
     "probes new serial devices for a modem: wait a few seconds and try again, or tell it to "
     "leave this device alone"},
    {"brltty",
     "takes new serial devices for a braille display: if you use none, remove the brltty "
     "package"},
};

const Grabber* KnownGrabber(const std::string& comm) {
    for (const Grabber& g : kGrabbers)
        if (comm == g.comm) return &g;
    return nullptr;
}

// Whether the process has the device open, where its descriptors can be read.
bool HasOpen(const std::string& procDir, long pid, const std::string& node) {
    const std::string fdDir = procDir + "/" + std::to_string(pid) + "/fd";
    DIR* dir = opendir(fdDir.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        char target[PATH_MAX];
        const ssize_t n =
            readlink((fdDir + "/" + entry->d_name).c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<size_t>(n)) == node) found = true;
    }
    closedir(dir);
    return found;
}

std::string BusyHint(const std::string& path, const struct stat& device,
                     const HintSources& sources) {
    const std::string who = path + " is held by another program";
    if (const long pid = LockHolder(sources.procDir, device)) {
        const std::string comm = Comm(sources.procDir, pid);
        const std::string name = (comm.empty() ? "pid " : comm + ", pid ") + std::to_string(pid);
        if (pid == getpid()) return path + " is already open in this program (" + name + ").";
        if (const Grabber* g = KnownGrabber(comm))
            return who + ": " + comm + " (pid " + std::to_string(pid) + ") " + g->advice + ".";
        return who + " (" + name + "): close it and try again.";
    }
    // No lock: the holder only set exclusive mode. Services that grab new
    // devices are named when they can be seen.
    char node[PATH_MAX];
    const std::string real = realpath(path.c_str(), node) != nullptr ? node : path;
    if (DIR* dir = opendir(sources.procDir.c_str())) {
        std::string running;
        while (const dirent* entry = readdir(dir)) {
            char* end = nullptr;
            const long pid = std::strtol(entry->d_name, &end, 10);
            if (pid <= 0 || *end != '\0') continue;
            const std::string comm = Comm(sources.procDir, pid);
            const Grabber* g = KnownGrabber(comm);
            if (g == nullptr) continue;
            const std::string named = comm + " (pid " + std::to_string(pid) + ") ";
            if (HasOpen(sources.procDir, pid, real)) {
                closedir(dir);
                return who + ": " + named + g->advice + ".";
            }
            if (running.empty()) running = named + g->advice;
        }
        closedir(dir);
        if (!running.empty()) return who + "; it may be " + running + ".";
    }
    return who + " that opened it exclusively: close it and try again.";
}

bool InGroup(gid_t gid) {
    if (getegid() == gid) return true;
    const int n = getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<size_t>(std::max(n, 0)));
    if (n > 0 && getgroups(n, groups.data()) == n)
        return std::find(groups.begin(), groups.end(), gid) != groups.end();
    return false;
}

bool ListedInGroup(const group& g, const std::string& user) {
    for (char** member = g.gr_mem; member != nullptr && *member != nullptr; ++member)
        if (user == *member) return true;
    return false;
}

std::string PermissionHint(const std::string& path, const struct stat& device) {
    const group* g = getgrgid(device.st_gid);
    const passwd* pw = getpwuid(geteuid());
    const std::string user = pw != nullptr ? pw->pw_name : "$USER";
    if (g == nullptr || (device.st_mode & S_IRWXG) != (S_IRGRP | S_IWGRP) || device.st_gid == 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(device.st_mode & 07777));
        return "Your user may not open " + path + " (mode " + mode +
               "), and no group gives access to it: ask the administrator.";
    }
    const std::string name = g->gr_name;
    if (InGroup(device.st_gid))
        return "Your user is in the group \"" + name + "\" that owns " + path +
               ", but access is still refused: ask the administrator.";
    if (ListedInGroup(*g, user))
        return "Your user was added to the group \"" + name + "\" that owns " + path +
               " after logging in: log out and in again.";
    return "Your user is not in the group \"" + name + "\" that owns " + path +
           ": add it (sudo adduser " + user + " " + name + "), then log out and in again.";
}

std::string MissingHint(const std::string& path, const std::vector<std::string>& present) {
    if (present.empty()) return "There is no device " + path + ", and no serial port is present.";
    std::string list;
    for (const std::string& p : present) list += (list.empty() ? "" : ", ") + p;
    return "There is no device " + path + "; present: " + list + ".";
}

}  // namespace

std::string PortOpenHint(const std::string& path, int error, const HintSources& sources) {
    struct stat st;
    const bool exists = stat(path.c_str(), &st) == 0;
    if (error == ENOENT || !exists) return MissingHint(path, sources.present);
    if (S_ISDIR(st.st_mode)) return path + " is a folder, not a serial device: nothing was opened.";
    if (!S_ISCHR(st.st_mode))
        return path + " is " + (S_ISREG(st.st_mode) ? "a regular file" : "no device") +
               ", not a serial device: nothing was opened.";
    switch (error) {
        case EACCES:
        case EPERM:
            return PermissionHint(path, st);
        case EBUSY:
        case EWOULDBLOCK:
            return BusyHint(path, st, sources);
        case ENOTTY:
            return path + " is a device but not a serial port.";
        case ENXIO:
        case ENODEV:
        case EIO:
            return path + " exists, but no device answers behind it (unplugged, or not present).";
        default:
            return "";
    }
}
