#include "settings/AtomicFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Collects output in blocks so a large file is not written a line per call.
class FdSink {
public:
    explicit FdSink(int fd) : fd_(fd) {}
    void Add(const char* data, std::size_t size) {
        if (failed_) return;
        buffer_.append(data, size);
        if (buffer_.size() >= kBlock) Flush();
    }
    bool Flush() {
        if (!failed_ && !WriteAll(fd_, buffer_.data(), buffer_.size())) failed_ = true;
        buffer_.clear();
        return !failed_;
    }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    int fd_;
    bool failed_ = false;
    std::string buffer_;
};

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a path finally names. realpath needs the target to exist; a link to
// a file not yet created is followed by hand so that the file appears where
// the link points.
std::string ResolveLinks(const std::string& path) {
    if (char* real = realpath(path.c_str(), nullptr)) {
        std::string resolved(real);
        std::free(real);
        return resolved;
    }
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::vector<char> buffer(PATH_MAX + 1);
        ssize_t n = readlink(current.c_str(), buffer.data(), PATH_MAX);
        if (n <= 0) break;
        std::string link(buffer.data(), static_cast<std::size_t>(n));
        current = link[0] == '/' ? link : FolderOf(current) + link;
    }
    return current;
}

// umask() can only be read by changing it, which would race with other
// threads creating files; the kernel also reports it in the status file.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "Umask:") == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    mode_t mask = umask(022);
    umask(mask);
    return mask;
}

void SyncFolder(const std::string& folder) {
    int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);  // best effort: the rename is done, this only makes it durable sooner
    close(fd);
}

bool RewriteInPlace(const std::string& target, const ContentProducer& produce) {
    // The new content is built before truncating, since it is made from the old.
    std::string content;
    if (!produce([&content](const char* data, std::size_t size) { content.append(data, size); }))
        return false;
    int fd = open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, content.data(), content.size()) && fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

}  // namespace

bool ReplaceFileContent(const std::string& path, const ContentProducer& produce) {
    const std::string target = ResolveLinks(path);
    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return false;

    const std::string folder = FolderOf(target);
    std::string name = folder + "." + target.substr(folder.size()) + ".XXXXXX";
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        if ((errno == EACCES || errno == EPERM) && exists) return RewriteInPlace(target, produce);
        return false;
    }

    bool ok = true;
    if (exists) {
        // Owner first: changing it clears set-id bits that fchmod then restores.
        if (fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only root may give a file away; for anyone else the file is theirs anyway.
        }
        ok = fchmod(fd, old.st_mode & 07777) == 0;
    } else {
        ok = fchmod(fd, 0666 & ~CurrentUmask()) == 0;
    }
    if (ok) {
        FdSink sink(fd);
        ok = produce([&sink](const char* data, std::size_t size) { sink.Add(data, size); }) &&
             sink.Flush() && fsync(fd) == 0;
    }
    ok = close(fd) == 0 && ok;
    if (ok) ok = rename(name.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(name.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}
