// Tells when serial devices may have appeared or gone: inotify on the device
// folders (sysfs sends no such events), woken by the kernel, never polling.
// A plug-in is a burst of events (the node, its permissions, its stable
// names), so they are gathered into one signal at most every 100 ms.
#pragma once

#include <QObject>
#include <QTimer>
#include <string>
#include <vector>

class QSocketNotifier;

class PortWatcher : public QObject {
    Q_OBJECT
public:
    // Folders that do not exist yet are watched from when they appear.
    PortWatcher(std::vector<std::string> folders, QObject* parent);
    ~PortWatcher() override;

signals:
    void changed();

private:
    void watchFolders();
    void readEvents();

    std::vector<std::string> folders_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer quiet_;
};
