#include "console/PortWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {
// Long enough to gather one plug-in's events, short enough to feel immediate.
constexpr int kQuietMs = 100;
constexpr uint32_t kMask =
    IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;
}  // namespace

PortWatcher::PortWatcher(std::vector<std::string> folders, QObject* parent)
    : QObject(parent), folders_(std::move(folders)) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMs);
    connect(&quiet_, &QTimer::timeout, this, &PortWatcher::changed);
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Without inotify the list still follows the devices when dropped down.
    if (fd_ < 0) return;
    watchFolders();
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PortWatcher::readEvents);
}

PortWatcher::~PortWatcher() {
    if (fd_ >= 0) ::close(fd_);
}

// Adding a watch twice keeps the first; a folder that appeared (serial/by-id
// comes and goes with the first and last USB adapter) is watched from now on.
void PortWatcher::watchFolders() {
    for (const std::string& folder : folders_) inotify_add_watch(fd_, folder.c_str(), kMask);
}

void PortWatcher::readEvents() {
    alignas(inotify_event) char buffer[4096];
    while (::read(fd_, buffer, sizeof buffer) > 0) {
    }
    watchFolders();
    // Counted from the first event of a burst, so a device that keeps
    // changing is still looked at ten times a second.
    if (!quiet_.isActive()) quiet_.start();
}
