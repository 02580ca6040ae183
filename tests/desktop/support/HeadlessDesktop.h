#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace vantrel::testing {

// The private headless desktop (Xvfb, a session bus, the AT-SPI bus, openbox) that
// tests/desktop/headless-desktop.sh runs, seen from a test process.
class HeadlessDesktop {
  public:
    // Attaches to the desktop in $VANTREL_DESKTOP_STATE (the ctest fixture starts it), or else
    // starts one of its own that it stops when destroyed. Either way this process's environment
    // then points at the desktop: call it before any QGuiApplication exists. Null on failure,
    // with the reason in error.
    static std::unique_ptr<HeadlessDesktop> attachOrStart(QString* error);

    ~HeadlessDesktop();
    HeadlessDesktop(const HeadlessDesktop&) = delete;
    HeadlessDesktop& operator=(const HeadlessDesktop&) = delete;

    const QString& stateDir() const { return m_stateDir; }
    static QString script();

  private:
    explicit HeadlessDesktop(QString stateDir);
    bool start(QString* error);
    bool applyEnvironment(QString* error) const;

    QString m_stateDir;
    std::unique_ptr<QTemporaryDir> m_ownDir; // set only when this process started the desktop
};

} // namespace vantrel::testing
