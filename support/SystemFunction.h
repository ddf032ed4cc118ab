// Functions that only newer Windows have, looked up at run time so that the program still
// starts on Windows 7. Only in modules the program has loaded already (kernel32, user32):
// nothing is loaded here.
#ifndef SKITTERA_SUPPORT_SYSTEMFUNCTION_H
#define SKITTERA_SUPPORT_SYSTEMFUNCTION_H

#include <windows.h>

// The function `name` of the loaded `module` as a `Function` (a pointer to the
// documented signature), or null where this Windows has none.
template <typename Function> Function FindSystemFunction(const char* module, const char* name) {
    HMODULE loaded = GetModuleHandleA(module);
    if (loaded == nullptr) {
        return nullptr;
    }
    // Through a plain function pointer type: the address is of the documented signature.
    auto address = reinterpret_cast<void (*)()>(GetProcAddress(loaded, name));
    return reinterpret_cast<Function>(address);
}

#endif
