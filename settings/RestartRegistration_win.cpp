#include "settings/RestartRegistration.h"

#include "support/SystemFunction.h"

RestartCalls LookUpRestartCalls() {
    RestartCalls calls;
    auto registerRestart =
        FindSystemFunction<RegisterRestartProc>("kernel32.dll", "RegisterApplicationRestart");
    auto unregisterRestart =
        FindSystemFunction<UnregisterRestartProc>("kernel32.dll", "UnregisterApplicationRestart");
    if (registerRestart != nullptr && unregisterRestart != nullptr) {
        calls.registerRestart = registerRestart;
        calls.unregisterRestart = unregisterRestart;
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
