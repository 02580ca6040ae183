// A small Qt Widgets window for the desktop tests: "Vantrel Qt Probe" with one orange button
// (#ff8c00). It prints "ready window=X,Y,W,H" once shown and quits when its stdin closes, like
// the GTK probe.
// With --maximized the window fills the screen.
// With --leave-when-walked it also holds a row of labels; once "arm" arrives on stdin (it answers
// "armed"), the process exits at once when a reader asks where the middle one is: an application
// that leaves the accessibility bus in the middle of a walk.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

namespace {

bool armed = false;

class TripwireLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
};

class TripwireAccessible : public QAccessibleWidget {
  public:
    explicit TripwireAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? QStringLiteral("Tripwire") : QString();
    }
    QRect rect() const override {
        if (armed)
            _exit(0);
        return QAccessibleWidget::rect();
    }
};

QAccessibleInterface* tripwireFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TripwireLabel") && object->isWidgetType())
        return new TripwireAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const bool leaveWhenWalked = arguments.contains(QStringLiteral("--leave-when-walked"));
    QAccessible::installFactory(tripwireFactory);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Vantrel Qt Probe"));
    auto* layout = new QVBoxLayout(&window);
    auto* press = new QPushButton(QStringLiteral("Press"), &window);
    // One solid colour, text included, so a test can find the button in a picture.
    press->setStyleSheet(QStringLiteral("background: #ff8c00; color: #ff8c00; border: none"));
    layout->addWidget(press);
    if (leaveWhenWalked) {
        layout->addWidget(new QLabel(QStringLiteral("Before"), &window));
        layout->addWidget(new TripwireLabel(QStringLiteral("Tripwire"), &window));
        layout->addWidget(new QLabel(QStringLiteral("After"), &window));
    }
    window.setGeometry(200, 150, 400, 300);
    if (arguments.contains(QStringLiteral("--maximized")))
        window.showMaximized();
    else
        window.show();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        const ssize_t size = read(STDIN_FILENO, buffer, sizeof buffer);
        if (size <= 0) {
            app.quit();
        } else if (leaveWhenWalked && QByteArray(buffer, size).startsWith("arm")) {
            armed = true;
            std::printf("armed\n");
            std::fflush(stdout);
        }
    });
    QTimer::singleShot(0, &window, [&] {
        const QRect area = window.geometry();
        std::printf("ready window=%d,%d,%d,%d\n", area.x(), area.y(), area.width(), area.height());
        std::fflush(stdout);
    });
    return app.exec();
}

#include "qt_probe.moc"
