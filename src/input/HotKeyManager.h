#pragma once

#include <QObject>

#include <functional>

namespace vantrel {

class HotKeyService;

// The two system-wide shortcuts: the front-window capture and the area capture. A press reaches
// its callback on the main thread, from a fresh event, never inside the platform's dispatch.
class HotKeyManager final : public QObject {
    Q_OBJECT

  public:
    enum Id : quint32 { copyId = 1, regionCopyId = 2 };
    // Physical key positions (ANSI C and R) and control + option, as the seam counts them.
    static constexpr quint32 copyKeyCode = 8;
    static constexpr quint32 regionKeyCode = 15;
    static constexpr quint32 modifiers = 0x1000 | 0x0800;

    explicit HotKeyManager(HotKeyService& service, QObject* parent = nullptr);
    ~HotKeyManager() override;

    std::function<void()> onCopy;
    std::function<void()> onRegionCopy;

    // Replaces any earlier registration. A shortcut the system refuses stays unregistered; the
    // other is still attempted.
    void registerHotKeys();
    // Safe at any time, also repeatedly.
    void unregisterHotKeys();

    bool isCopyRegistered() const { return m_copyRegistered; }
    bool isRegionCopyRegistered() const { return m_regionCopyRegistered; }

  private:
    void dispatch(quint32 id);

    HotKeyService& m_service;
    bool m_handlerInstalled = false;
    bool m_copyRegistered = false;
    bool m_regionCopyRegistered = false;
};

} // namespace vantrel
