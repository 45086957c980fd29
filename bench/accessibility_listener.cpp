// A stand-in for a screen reader, for the tftp-upgrade benchmark: on the session bus it turns
// the desktop's accessibility on, and on the accessibility bus it asks for every object event
// (name, value, text and state changes), as a screen reader does. Qt publishes those events
// only while someone has asked for them, so without a listener the accessibility bus costs a
// program next to nothing. It counts the events that arrive and keeps the count in COUNT_FILE
// (rewritten when it changes, at most ten times a second), and says "ready" on standard
// output once it is registered. It runs until it is killed.
//
// Runs beside the program under test, on its session bus (DBUS_SESSION_BUS_ADDRESS).
//   accessibility_listener COUNT_FILE
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QSaveFile>
#include <QTimer>
#include <cstdio>

namespace fenwick::bench {
namespace {

class EventCounter final : public QObject {
    Q_OBJECT

public:
    explicit EventCounter(QString file) : file_(std::move(file)) {
        connect(&write_, &QTimer::timeout, this, [this] {
            if (written_ != count_) {
                Write();
            }
        });
        write_.start(100);
    }

    void Write() {
        QSaveFile out(file_);
        if (out.open(QIODevice::WriteOnly)) {
            out.write(QByteArray::number(count_) + '\n');
            out.commit();
        }
        written_ = count_;
    }

public slots:
    void OnEvent(const QDBusMessage&) { ++count_; }

private:
    QString file_;
    QTimer write_;
    quint64 count_ = 0;
    quint64 written_ = 0;
};

} // namespace
} // namespace fenwick::bench

int main(int argc, char* argv[]) {
    using namespace fenwick::bench;
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: accessibility_listener COUNT_FILE\n");
        return 2;
    }
    QDBusConnection session = QDBusConnection::sessionBus();
    // The desktop's switch, as a screen reader turns it on.
    QDBusMessage enable = QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    enable << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
           << QVariant::fromValue(QDBusVariant(true));
    const QDBusMessage enabled = session.call(enable);
    const QDBusReply<QString> address = session.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
        QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
    if (enabled.type() == QDBusMessage::ErrorMessage || !address.isValid()) {
        std::fprintf(stderr, "no accessibility bus on the session bus: %s\n",
                     qPrintable(address.error().message()));
        return 1;
    }
    QDBusConnection bus =
        QDBusConnection::connectToBus(address.value(), QStringLiteral("accessibility"));
    EventCounter counter(QString::fromLocal8Bit(argv[1]));
    // Every signal of the object events' interface, whatever its name.
    if (!bus.isConnected() ||
        !bus.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"), QString(),
                     &counter, SLOT(OnEvent(QDBusMessage)))) {
        std::fprintf(stderr, "cannot listen on the accessibility bus %s\n",
                     qPrintable(address.value()));
        return 1;
    }
    QDBusMessage registration = QDBusMessage::createMethodCall(
        QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/registry"),
        QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("RegisterEvent"));
    // From every application (an application's bus name here would narrow it to that one).
    registration << QStringLiteral("object:") << QStringList() << QString();
    const QDBusMessage registered = bus.call(registration);
    if (registered.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "the registry refused the listener: %s\n",
                     qPrintable(registered.errorMessage()));
        return 1;
    }
    counter.Write();
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "accessibility_listener.moc"
