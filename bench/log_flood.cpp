// Floods the real program's port with tag frames while the desktop
// accessibility bus is on and a client reads the log over it, as on a desktop
// with a screen reader running. Run it through bench/log-flood.sh, which
// provides the display, the session bus and the accessibility bus.
//
// The bench plays the module on a pseudo-terminal. Over the bus it types the
// terminal's path into cmb_port and presses Open Port, like an operator's
// assistive tool; the program keeps its own port settings (all ten line
// events, window synchronisation). Frames go out at the given rate without
// waiting for the program, each carrying the next ID; one the terminal does
// not take is lost at the port and counted. The program records its log
// (Record at Start), and the record file is the proof: every frame once, in
// order. Meanwhile the client takes the text-changed events and reads the end
// of the log every 100 ms, and the whole log at the end.
// Prints frames sent, frames logged and the program's processor time per frame.
// Usage: bench_log_flood TALVOR [seconds=60] [frames per second=5000]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const QString kAccessible = "org.a11y.atspi.Accessible";

struct ObjectRef {
    QString service;
    QString path;
    bool valid() const { return !service.isEmpty(); }
};

// --- the accessibility bus client ---------------------------------------------

class BusClient : public QObject {
public:
    explicit BusClient(QDBusConnection bus) : bus_(bus) {}

    QVariant property(const ObjectRef& o, const QString& iface, const QString& name) {
        QDBusMessage m = QDBusMessage::createMethodCall(o.service, o.path,
                                                        "org.freedesktop.DBus.Properties", "Get");
        m << iface << name;
        const QDBusMessage r = bus_.call(m, QDBus::Block, 5000);
        if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty()) return {};
        return r.arguments().at(0).value<QDBusVariant>().variant();
    }

    std::vector<ObjectRef> children(const ObjectRef& o) {
        std::vector<ObjectRef> out;
        const QDBusMessage r =
            bus_.call(QDBusMessage::createMethodCall(o.service, o.path, kAccessible, "GetChildren"),
                      QDBus::Block, 5000);
        if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty()) return out;
        const QDBusArgument arg = r.arguments().at(0).value<QDBusArgument>();
        arg.beginArray();
        while (!arg.atEnd()) {
            ObjectRef c;
            QDBusObjectPath path;
            arg.beginStructure();
            arg >> c.service >> path;
            arg.endStructure();
            c.path = path.path();
            out.push_back(c);
        }
        arg.endArray();
        return out;
    }

    // The program's application object, told by its process id.
    ObjectRef application(qint64 pid) {
        const ObjectRef root{"org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"};
        for (const ObjectRef& app : children(root)) {
            QDBusReply<uint> owner = bus_.interface()->servicePid(app.service);
            if (owner.isValid() && owner.value() == pid) return app;
        }
        return {};
    }

    // Objects of the tree below `from` whose description is one of `names`.
    void find(const ObjectRef& from, std::map<QString, ObjectRef>& found, int depth = 0) {
        if (depth > 12) return;
        for (const ObjectRef& c : children(from)) {
            const QString d = property(c, kAccessible, "Description").toString();
            auto it = found.find(d);
            if (it != found.end() && !it->second.valid()) it->second = c;
            find(c, found, depth + 1);
        }
    }

    bool call(const ObjectRef& o, const QString& iface, const QString& method,
              const QVariantList& args, QVariant* result = nullptr) {
        QDBusMessage m = QDBusMessage::createMethodCall(o.service, o.path, iface, method);
        m.setArguments(args);
        const QDBusMessage r = bus_.call(m, QDBus::Block, 30000);
        if (r.type() != QDBusMessage::ReplyMessage) return false;
        if (result && !r.arguments().isEmpty()) *result = r.arguments().at(0);
        return true;
    }

    QDBusConnection bus_;
};

// Counts text-changed signals on the bus.
class EventCounter : public QObject {
    Q_OBJECT
public:
    int textChanged = 0;
public slots:
    void onTextChanged(const QDBusMessage&) { ++textChanged; }
};

// --- the module side --------------------------------------------------------------

std::vector<uint8_t> tagFrame(uint64_t id) {
    std::vector<uint8_t> f = {0xFF, 0x01, 0x06, 0x10};
    for (int shift = 32; shift >= 0; shift -= 8) f.push_back(static_cast<uint8_t>(id >> shift));
    uint8_t sum = 0;
    for (size_t i = 1; i < f.size(); ++i) sum = static_cast<uint8_t>(sum + f[i]);
    f.push_back(sum);
    return f;
}

double processSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Record lines "<time> RX > FF 01 06 10 <id> <sum> ": the IDs, how many
// lines were something else, and the first few of those (a time-out there
// discarded what was waiting in the port).
std::vector<uint64_t> recordedIds(const std::string& path, int& other,
                                  std::vector<std::string>* otherShown = nullptr) {
    std::vector<uint64_t> ids;
    other = 0;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t at = line.find(" RX > FF 01 06 10 ");
        if (at == std::string::npos) {
            ++other;
            if (otherShown && otherShown->size() < 3) otherShown->push_back(line);
            continue;
        }
        uint64_t id = 0;
        std::istringstream hex(line.substr(at + 18));
        for (int i = 0; i < 5; ++i) {
            unsigned byte = 0;
            hex >> std::hex >> byte;
            id = (id << 8) | byte;
        }
        ids.push_back(id);
    }
    return ids;
}

// The machine's load over the last 1, 5 and 15 minutes: other work on it
// takes processor time from the program and makes it read late.
std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    return true;
}

int fail(const char* what) {
    std::fprintf(stderr, "bench_log_flood: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return fail("usage: bench_log_flood TALVOR [seconds] [frames per second]");
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    const int rate = argc > 3 ? std::atoi(argv[3]) : 5000;
    QCoreApplication app(argc, argv);

    // The program runs from a folder of its own, with its settings beside it.
    char folderTemplate[] = "/tmp/talvor-flood-XXXXXX";
    const std::string folder = mkdtemp(folderTemplate);
    const std::string program = folder + "/talvor";
    const std::string record = folder + "/record.txt";
    if (std::system(("cp '" + std::string(argv[1]) + "' '" + program + "'").c_str()) != 0)
        return fail("cannot copy the program");
    std::ofstream(folder + "/talvor.ini")
        << "[Log]\nRecordFile=" << record << "\nRecording=-1\nRecordAtStart=-1\n";

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return fail("no pty");
    termios raw{};
    tcgetattr(master, &raw);
    cfmakeraw(&raw);
    tcsetattr(master, TCSANOW, &raw);
    const QString slave = ptsname(master);

    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }

    // The accessibility bus, as the session bus names it.
    QDBusReply<QString> address = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"));
    if (!address.isValid()) return fail("no accessibility bus (run through bench/log-flood.sh)");
    BusClient client(QDBusConnection::connectToBus(address.value(), "a11y"));
    if (!client.bus_.isConnected()) return fail("cannot connect to the accessibility bus");

    ObjectRef appRef;
    if (!waitUntil([&] { return (appRef = client.application(pid)).valid(); }, 20000))
        return fail("the program did not appear on the accessibility bus");
    std::map<QString, ObjectRef> found{{"cmb_port", {}}, {"btn_open", {}}, {"Memo1", {}}};
    waitUntil(
        [&] {
            client.find(appRef, found);
            for (auto& f : found)
                if (!f.second.valid()) return false;
            return true;
        },
        20000);
    for (auto& f : found)
        if (!f.second.valid()) return fail(("no " + f.first.toStdString() + " on the bus").c_str());

    // Type the terminal's path into the port list's field and press Open Port.
    bool typed = false;
    for (const ObjectRef& c : client.children(found["cmb_port"])) {
        QVariant ok;
        if (client.call(c, "org.a11y.atspi.EditableText", "SetTextContents", {slave}, &ok) &&
            ok.toBool())
            typed = true;
    }
    if (!typed) return fail("cannot type into cmb_port over the bus");
    if (!client.call(found["btn_open"], "org.a11y.atspi.Action", "DoAction", {0}))
        return fail("cannot press Open Port over the bus");
    // The master reports a hang-up until the program holds the terminal open.
    if (!waitUntil(
            [&] {
                pollfd p{master, POLLOUT, 0};
                return poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
            },
            10000))
        return fail("the program did not open the port");
    QThread::msleep(300);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    EventCounter events;
    client.call({"org.a11y.atspi.Registry", "/org/a11y/atspi/registry"}, "org.a11y.atspi.Registry",
                "RegisterEvent", {QString("object:text-changed")});
    client.bus_.connect(QString(), QString(), "org.a11y.atspi.Event.Object", "TextChanged", &events,
                        SLOT(onTextChanged(QDBusMessage)));
    const ObjectRef memo = found["Memo1"];
    int reads = 0;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        const int n = client.property(memo, "org.a11y.atspi.Text", "CharacterCount").toInt();
        QVariant tail;
        if (client.call(memo, "org.a11y.atspi.Text", "GetText", {std::max(0, n - 400), n}, &tail) &&
            tail.toString().size() == std::min(n, 400))
            ++reads;
    });
    reader.start(100);

    // The flood: the frames due every millisecond, without waiting for the program.
    std::atomic<bool> flooding{true};
    std::atomic<uint64_t> sent{0}, lost{0};
    const uint64_t firstId = 0x1000000000ull;
    const std::string loadBefore = loadAverage();
    const double cpuBefore = processSeconds(pid);
    std::thread writer([&] {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        uint64_t next = 0;
        for (auto tick = start; flooding; tick += std::chrono::milliseconds(1)) {
            std::this_thread::sleep_until(tick);
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            if (elapsed >= seconds) break;
            const auto due = static_cast<uint64_t>(elapsed * rate);
            std::vector<uint8_t> bytes;
            uint64_t from = next;
            for (; next < due; ++next) {
                const auto f = tagFrame(firstId + next);
                bytes.insert(bytes.end(), f.begin(), f.end());
            }
            if (bytes.empty()) continue;
            const ssize_t n = write(master, bytes.data(), bytes.size());
            uint64_t whole = n > 0 ? static_cast<uint64_t>(n) / 10 : 0;
            if (n > 0 && n % 10 != 0) {
                // Never leave half a frame behind.
                const uint8_t* tail = bytes.data() + n;
                size_t rest = 10 - static_cast<size_t>(n % 10);
                while (rest > 0) {
                    const ssize_t m = write(master, tail, rest);
                    if (m > 0) {
                        tail += m;
                        rest -= static_cast<size_t>(m);
                    } else {
                        std::this_thread::sleep_for(std::chrono::microseconds(50));
                    }
                }
                ++whole;
            }
            // A UART does not wait: what the terminal does not take is lost.
            sent += whole;
            lost += (next - from) - whole;
        }
    });
    // Keep the bus client busy while the flood runs.
    waitUntil([&] { return false; }, seconds * 1000);
    flooding = false;
    writer.join();

    // Every frame the terminal took must reach the record.
    int other = 0;
    std::vector<uint64_t> ids;
    waitUntil(
        [&] {
            ids = recordedIds(record, other);
            return ids.size() >= sent;
        },
        30000);
    const double cpu = processSeconds(pid) - cpuBefore;
    std::vector<std::string> otherShown;
    ids = recordedIds(record, other, &otherShown);
    reader.stop();
    QVariant whole;
    const int count = client.property(memo, "org.a11y.atspi.Text", "CharacterCount").toInt();
    client.call(memo, "org.a11y.atspi.Text", "GetText", {0, count}, &whole);
    const QStringList shown = whole.toString().split('\n', Qt::SkipEmptyParts);

    std::set<uint64_t> distinct(ids.begin(), ids.end());
    bool inOrder = true;
    for (size_t i = 1; i < ids.size(); ++i)
        if (ids[i] <= ids[i - 1]) inOrder = false;
    QString lastFrame = "RX > ";
    for (uint8_t v : tagFrame(ids.empty() ? 0 : ids.back()))
        lastFrame += QString::asprintf("%02X ", v);

    // Two places lose frames, told apart: the terminal refuses bytes once its
    // buffer (a few kilobytes) is full, which means the program fell behind in
    // reading; a frame the terminal took but the record lacks was lost inside
    // the program.
    const uint64_t lostInProgram = sent > distinct.size() ? sent - distinct.size() : 0;
    const double perFrame = cpu * 1e6 / static_cast<double>(std::max<uint64_t>(sent, 1));
    std::printf("load average before: %s, after: %s\n", loadBefore.c_str(), loadAverage().c_str());
    std::printf("frames sent: %llu in %d s at %d frames/s\n",
                static_cast<unsigned long long>(sent.load()), seconds, rate);
    std::printf("frames lost at the port (terminal full, the program read too late): %llu "
                "(%llu bytes refused)\n",
                static_cast<unsigned long long>(lost.load()),
                static_cast<unsigned long long>(lost.load() * 10));
    std::printf("frames lost in the program (taken by the terminal, not recorded): %llu\n",
                static_cast<unsigned long long>(lostInProgram));
    std::printf("frames logged: %zu (distinct %zu, in order: %s, other lines: %d)\n", ids.size(),
                distinct.size(), inOrder ? "yes" : "no", other);
    for (const std::string& line : otherShown) std::printf("  other line: %s\n", line.c_str());
    std::printf("processor time per frame: %.1f us\n", perFrame);
    std::printf(
        "over the bus: %d text-changed events, %d reads of the log's end; the whole log "
        "read at the end: %lld lines, last line %s\n",
        events.textChanged, reads, static_cast<long long>(shown.size()),
        !shown.isEmpty() && shown.last() == lastFrame ? "the last frame recorded"
                                                      : "NOT the last frame recorded");
    const bool held = lost == 0 && lostInProgram == 0 && ids.size() == distinct.size() && inOrder;
    std::printf("verdict: %s, %s (at most 100 us per frame, none lost or doubled)\n",
                held ? "none lost" : "FRAMES LOST OR DOUBLED",
                perFrame <= 100.0 ? "cost within the limit" : "COST ABOVE THE LIMIT");
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(master);
    std::system(("rm -rf '" + folder + "'").c_str());
    return 0;
}

#include "log_flood.moc"
