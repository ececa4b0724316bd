// Load-time attach for Win32 hosts: a Qt application object and a message hook that delivers the
// loading thread's posted Qt events whenever the host's message loop retrieves a message.
#ifdef _WIN32

#include <QApplication>

#include <windows.h>

namespace {

bool applicationCreated = false;
HHOOK messageHook = nullptr;

LRESULT CALLBACK deliverPostedEvents(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && QCoreApplication::instance()) {
        QCoreApplication::sendPostedEvents();
    }
    return CallNextHookEx(messageHook, code, wParam, lParam);
}

// Keeps our own file loaded while the application object we created lives.
void pinModule(HINSTANCE module) {
    if (!module)
        return;
    char path[256] = {};
    if (GetModuleFileNameA(module, path, 255) == 0)
        return;
    LoadLibraryA(path);
}

bool attachApplication(HINSTANCE module) {
    if (QCoreApplication::instance())
        return false;
    messageHook =
        SetWindowsHookExW(WH_GETMESSAGE, &deliverPostedEvents, nullptr, GetCurrentThreadId());
    static int argc = 0;
    new QApplication(argc, nullptr);
    pinModule(module);
    return true;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        applicationCreated = attachApplication(module);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (applicationCreated && QCoreApplication::instance()) {
            delete QCoreApplication::instance();
        }
    }
    return TRUE;
}

#endif
