#pragma once

#include "AccessibleLookup.h"

#include <QColor>
#include <QMap>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace vantrel::testing {

// The colour of every pixel of the GTK probe's "Paint" button.
inline const QColor paintColour(0x1e, 0x90, 0xff);

// A probe application on the private desktop, started by pid and killed by pid when this goes.
// The factories return once it has said "ready" and its window is mapped where it said; they
// throw std::runtime_error (gtest reports it) when it does not get there.
class TestApplication {
  public:
    // tests/desktop/apps/gtk_probe.py: "Vantrel Probe", a "Paint" button, a list, two entries.
    static TestApplication gtk(const QStringList& arguments = {});
    // apps/qt_probe.cpp: "Vantrel Qt Probe", a Qt Widgets window with one button; started
    // without the variables named in unset.
    static TestApplication qt(const QStringList& unset = {}, const QStringList& arguments = {});
    ~TestApplication();

    qint64 pid() const { return m_process->processId(); }
    quint32 windowId() const { return m_windowId; }
    const QString& title() const { return m_title; }
    // The client area, root coordinates, as the probe reported it.
    QRect window() const { return m_reported.value("window"); }
    // The GTK probe's solid-coloured "Paint" button, root coordinates.
    QRect paintButton() const { return m_reported.value("paint"); }

    // Writes a line to the probe and waits for its answer line; false when none came.
    bool tell(const QByteArray& line, const QByteArray& answer);

    // Waits until the probe's AT-SPI tree holds a node with this name and role name.
    std::optional<AccessibleLookup::Node> waitForAccessible(const QString& name,
                                                            const QString& role) const {
        return AccessibleLookup::waitFor(pid(), name, role);
    }

  private:
    TestApplication(const QString& program, const QStringList& arguments, QString title,
                    const QStringList& unset = {});
    [[noreturn]] void fail(const QString& what) const;

    std::unique_ptr<QProcess> m_process;
    QString m_title;
    QMap<QString, QRect> m_reported;
    quint32 m_windowId = 0;
};

} // namespace vantrel::testing
