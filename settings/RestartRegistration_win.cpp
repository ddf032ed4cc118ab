#include "settings/RestartRegistration.h"

RestartCalls LookUpRestartCalls() {
    RestartCalls calls;
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    if (kernel32 == nullptr) {
        return calls;
    }
    // Through a plain function pointer type: the addresses are of the documented signatures.
    auto registerAddress =
        reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "RegisterApplicationRestart"));
    auto unregisterAddress =
        reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "UnregisterApplicationRestart"));
    if (registerAddress != nullptr && unregisterAddress != nullptr) {
        calls.registerRestart = reinterpret_cast<RegisterRestartProc>(registerAddress);
        calls.unregisterRestart = reinterpret_cast<UnregisterRestartProc>(unregisterAddress);
    }
    return calls;
}

// A null command line registers the program without arguments: Windows starts it again
// as its own path alone.
bool UpdateRestartRegistration(int runAtStartup, const RestartCalls& calls) {
    if (calls.registerRestart == nullptr || calls.unregisterRestart == nullptr) {
        return false;
    }
    HRESULT result =
        runAtStartup != 0 ? calls.unregisterRestart() : calls.registerRestart(nullptr, kRestartFlags);
    return SUCCEEDED(result);
}
