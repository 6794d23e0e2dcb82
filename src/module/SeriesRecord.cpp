#include "module/SeriesRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "module/Csv.h"

SeriesRecord::~SeriesRecord() { Close(); }

std::string SeriesRecord::Open(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) return std::strerror(errno);
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && st.st_size == 0) {
        const std::string error = write(CsvLine({"time", "id", "outcome", "blocks written"}));
        if (!error.empty()) {
            Close();
            return error;
        }
    }
    return {};
}

void SeriesRecord::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::string SeriesRecord::Append(const std::string& time, const std::string& id,
                                 const std::string& outcome,
                                 const std::vector<std::string>& blocksWritten) {
    std::string blocks;
    for (const std::string& b : blocksWritten) blocks += (blocks.empty() ? "" : " ") + b;
    return write(CsvLine({time, id, outcome, blocks}));
}

std::string SeriesRecord::write(const std::string& bytes) {
    if (fd_ < 0) return "the record file is not open";
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::strerror(n < 0 ? errno : EIO);
        done += static_cast<size_t>(n);
    }
    // On the disk, not only in the system's cache: a power cut loses nothing written.
    if (::fsync(fd_) != 0 && errno != EINVAL) return std::strerror(errno);
    return {};
}
