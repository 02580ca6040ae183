// A Qt Widgets window with known widgets and position for the desktop tests. Once it is shown
// where it was asked to be, it prints one line on stdout:
//   ready button=X,Y,W,H window=X,Y,W,H
// (root coordinates; window is the client area). It exits when stdin closes, so it never
// outlives the test that started it.
#include <QApplication>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

namespace {

struct Options {
    QString title;
    QRect geometry;
};

Options parseOptions(const QApplication& app) {
    QCommandLineParser parser;
    parser.addOptions({{"title", "Window title.", "title", "Vantrel Qt Probe"},
                       {"x", "Left edge of the client area.", "x", "160"},
                       {"y", "Top edge of the client area.", "y", "120"},
                       {"size", "Client size.", "WxH", "640x480"}});
    parser.process(app);
    const QSize size(parser.value("size").section('x', 0, 0).toInt(),
                     parser.value("size").section('x', 1, 1).toInt());
    return {parser.value("title"),
            QRect(QPoint(parser.value("x").toInt(), parser.value("y").toInt()), size)};
}

QString rectText(const QRect& rect) {
    return QString("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

class QtProbe : public QWidget {
  public:
    explicit QtProbe(const Options& options) : m_wanted(options.geometry) {
        setWindowTitle(options.title);
        auto* layout = new QVBoxLayout(this);
        m_button = new QPushButton("Qt Button", this);
        m_button->setFixedSize(160, 60);
        layout->addWidget(m_button);
        layout->addWidget(new QLineEdit("hello qt entry", this));
        auto* list = new QListWidget(this);
        for (int row = 1; row <= 40; ++row)
            list->addItem(QString("Qt Row %1").arg(row));
        layout->addWidget(list);
        setFixedSize(m_wanted.size());
        setGeometry(m_wanted);
    }

  protected:
    bool event(QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Move || type == QEvent::Paint || type == QEvent::Expose)
            QTimer::singleShot(0, this, [this] { reportWhenPlaced(); });
        return QWidget::event(event);
    }

  private:
    void reportWhenPlaced() {
        if (m_reported || !windowHandle() || !windowHandle()->isExposed() || geometry() != m_wanted)
            return;
        m_reported = true;
        const QRect button(m_button->mapToGlobal(QPoint(0, 0)), m_button->size());
        std::printf("ready button=%s window=%s\n", qPrintable(rectText(button)),
                    qPrintable(rectText(geometry())));
        std::fflush(stdout);
    }

    QRect m_wanted;
    QPushButton* m_button = nullptr;
    bool m_reported = false;
};

void quitWhenStdinCloses(QApplication& app) {
    auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app, notifier] {
        char buffer[4096];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            notifier->setEnabled(false);
            app.quit();
        }
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const Options options = parseOptions(app);
    quitWhenStdinCloses(app);
    QtProbe probe(options);
    probe.show();
    return app.exec();
}
