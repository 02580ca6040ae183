// A small Qt Widgets window for the desktop tests: "Vantrel Qt Probe" with one orange button
// (#ff8c00). It prints "ready window=X,Y,W,H" once shown and quits when its stdin closes, like
// the GTK probe.
#include <QApplication>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Vantrel Qt Probe"));
    auto* layout = new QVBoxLayout(&window);
    auto* press = new QPushButton(QStringLiteral("Press"), &window);
    // One solid colour, text included, so a test can find the button in a picture.
    press->setStyleSheet(QStringLiteral("background: #ff8c00; color: #ff8c00; border: none"));
    layout->addWidget(press);
    window.setGeometry(200, 150, 400, 300);
    window.show();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    QTimer::singleShot(0, &window, [&] {
        const QRect area = window.geometry();
        std::printf("ready window=%d,%d,%d,%d\n", area.x(), area.y(), area.width(), area.height());
        std::fflush(stdout);
    });
    return app.exec();
}
