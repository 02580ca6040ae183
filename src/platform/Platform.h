#pragma once

#include "AppIdentity.h"
#include "PlatformVocabulary.h"

namespace vantrel {

class AccessibilityPlatform;
class WindowServer;
class ScreenList;
class ScreenCapturePlatform;
class HotKeyService;
class MouseMonitor;
class Workspace;
class LoginItemService;
class Updater;
class Pasteboard;

// Everything the core reaches of the operating system, as one backend supplies it. The backend
// owns the services; this only points at them.
struct Platform {
    AccessibilityPlatform& accessibility;
    WindowServer& windowServer;
    ScreenList& screens;
    ScreenCapturePlatform& screenCapture;
    HotKeyService& hotKeys;
    MouseMonitor& mouseMonitor;
    Workspace& workspace;
    LoginItemService& loginItem;
    Updater& updater;
    Pasteboard& pasteboard;
    PlatformVocabulary vocabulary;
    AppIdentity identity;
};

} // namespace vantrel
