#include "HotKeyManager.h"

#include "platform/HotKeyService.h"

#include <QMetaObject>
#include <QPointer>

namespace vantrel {

HotKeyManager::HotKeyManager(HotKeyService& service, QObject* parent)
    : QObject(parent), m_service(service) {}

HotKeyManager::~HotKeyManager() {
    // Releasing the manager must not leave the service calling into a dead object.
    unregisterHotKeys();
}

void HotKeyManager::registerHotKeys() {
    unregisterHotKeys();
    QPointer<HotKeyManager> weakSelf(this);
    m_handlerInstalled = m_service.installHandler([weakSelf](quint32 id) {
        if (!weakSelf)
            return;
        // Queued even on the main thread, so the platform's dispatch returns at once.
        QMetaObject::invokeMethod(
            weakSelf.data(),
            [weakSelf, id] {
                if (weakSelf)
                    weakSelf->dispatch(id);
            },
            Qt::QueuedConnection);
    });
    if (!m_handlerInstalled)
        return;
    m_copyRegistered = m_service.registerHotKey(copyId, copyKeyCode, modifiers);
    m_regionCopyRegistered = m_service.registerHotKey(regionCopyId, regionKeyCode, modifiers);
}

void HotKeyManager::unregisterHotKeys() {
    if (m_copyRegistered)
        m_service.unregisterHotKey(copyId);
    if (m_regionCopyRegistered)
        m_service.unregisterHotKey(regionCopyId);
    m_copyRegistered = m_regionCopyRegistered = false;
    if (m_handlerInstalled)
        m_service.removeHandler();
    m_handlerInstalled = false;
}

void HotKeyManager::dispatch(quint32 id) {
    // A copy: the callback may replace itself while it runs.
    std::function<void()> callback;
    if (id == copyId)
        callback = onCopy;
    else if (id == regionCopyId)
        callback = onRegionCopy;
    if (callback)
        callback();
}

} // namespace vantrel
