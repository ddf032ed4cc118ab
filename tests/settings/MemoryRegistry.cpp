#include "tests/settings/MemoryRegistry.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>

namespace {

std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& ch : folded) {
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
    return folded;
}

struct Value {
    std::string name; // as first written
    std::string bytes;
};

struct Node {
    std::string name;
    bool valueChangesRefused = false;                  // meaningful on the roots
    std::string path;                                  // from the root, for the log
    std::map<std::string, std::unique_ptr<Node>> keys; // by folded name
    std::map<std::string, Value> values;               // by folded name
};

struct Handle {
    Node* node;
    bool machine;
    bool writable;
};

bool ValueChangesRefused(const Handle& handle);

struct Registry {
    Node currentUser{"HKCU", false, "HKCU", {}, {}};
    Node localMachine{"HKLM", false, "HKLM", {}, {}};
    bool machineWritable = true;
    std::string refusedValueName; // a value whose changes fail, wherever it is
    std::map<std::uintptr_t, Handle> handles;
    std::uintptr_t nextHandle = 0x1000;
    std::vector<std::string> log;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// The real registry takes the calls of every thread one at a time on each key; here one
// lock over the whole registry stands for that. Recursive: a primitive may call another.
std::recursive_mutex& RegistryLock() {
    static std::recursive_mutex lock;
    return lock;
}
using HeldRegistry = std::lock_guard<std::recursive_mutex>;

// The roots carry the handle values that <windows.h> gives them.
const std::uintptr_t kCurrentUserValue = static_cast<std::uintptr_t>(static_cast<std::intptr_t>(-0x7fffffff));
const std::uintptr_t kLocalMachineValue =
    static_cast<std::uintptr_t>(static_cast<std::intptr_t>(-0x7ffffffe));

// The node and the root a handle stands for, or null for a handle that is not open.
const Handle* Resolve(RegistryKey key, Handle* scratch) {
    Registry& registry = TheRegistry();
    std::uintptr_t value = reinterpret_cast<std::uintptr_t>(key);
    if (value == kCurrentUserValue) {
        *scratch = Handle{&registry.currentUser, false, true};
        return scratch;
    }
    if (value == kLocalMachineValue) {
        *scratch = Handle{&registry.localMachine, true, true};
        return scratch;
    }
    auto found = registry.handles.find(value);
    return found != registry.handles.end() ? &found->second : nullptr;
}

// Splits "a\b\c" into its names. An empty path names the key itself; an empty name
// inside the path (a leading, doubled or trailing backslash) makes the path invalid.
bool SplitPath(const char* path, std::vector<std::string>* names) {
    names->clear();
    if (path == nullptr || path[0] == '\0') {
        return true;
    }
    std::string current;
    for (const char* cursor = path;; ++cursor) {
        if (*cursor == '\\' || *cursor == '\0') {
            if (current.empty()) {
                return false;
            }
            names->push_back(current);
            current.clear();
            if (*cursor == '\0') {
                return true;
            }
        } else {
            current += *cursor;
        }
    }
}

Node* Descend(Node* node, const std::vector<std::string>& names, bool create) {
    for (const std::string& name : names) {
        auto found = node->keys.find(Folded(name));
        if (found == node->keys.end()) {
            if (!create) {
                return nullptr;
            }
            auto child = std::make_unique<Node>();
            child->name = name;
            child->path = node->path + "\\" + name;
            TheRegistry().log.push_back("create " + child->path);
            found = node->keys.emplace(Folded(name), std::move(child)).first;
        }
        node = found->second.get();
    }
    return node;
}

RegistryKey NewHandle(Node* node, bool machine, bool writable) {
    Registry& registry = TheRegistry();
    std::uintptr_t value = registry.nextHandle++;
    registry.handles[value] = Handle{node, machine, writable};
    return reinterpret_cast<RegistryKey>(value);
}

Node* FindNode(RegistryKey root, const std::string& keyPath, bool create) {
    Handle scratch{};
    const Handle* parent = Resolve(root, &scratch);
    std::vector<std::string> names;
    if (parent == nullptr || !SplitPath(keyPath.c_str(), &names)) {
        return nullptr;
    }
    return Descend(parent->node, names, create);
}

void DumpNode(const Node& node, std::string* out) {
    *out += node.path + "\n";
    for (const auto& entry : node.values) {
        *out += node.path + ":" + entry.second.name + "=" + entry.second.bytes + "|\n";
    }
    for (const auto& entry : node.keys) {
        DumpNode(*entry.second, out);
    }
}

bool ValueChangesRefused(const Handle& handle) {
    const Registry& registry = TheRegistry();
    return handle.machine ? registry.localMachine.valueChangesRefused
                          : registry.currentUser.valueChangesRefused;
}

} // namespace

RegistryKey CurrentUserRoot() { return reinterpret_cast<RegistryKey>(kCurrentUserValue); }
RegistryKey LocalMachineRoot() { return reinterpret_cast<RegistryKey>(kLocalMachineValue); }

bool OpenRegistryKey(RegistryKey root, const char* path, KeyAccess access, RegistryKey* key) {
    HeldRegistry held(RegistryLock());
    Handle scratch{};
    const Handle* parent = Resolve(root, &scratch);
    std::vector<std::string> names;
    if (parent == nullptr || !SplitPath(path, &names)) {
        return false;
    }
    bool writing = access != KeyAccess::Read && access != KeyAccess::ReadSystemView;
    if (writing && parent->machine && !TheRegistry().machineWritable) {
        return false;
    }
    Node* node = Descend(parent->node, names, false);
    if (node == nullptr) {
        return false;
    }
    *key = NewHandle(node, parent->machine, writing);
    return true;
}

bool CreateRegistryKey(RegistryKey root, const char* path, RegistryKey* key) {
    HeldRegistry held(RegistryLock());
    Handle scratch{};
    const Handle* parent = Resolve(root, &scratch);
    std::vector<std::string> names;
    if (parent == nullptr || !SplitPath(path, &names)) {
        return false;
    }
    if (parent->machine && !TheRegistry().machineWritable) {
        return false;
    }
    bool machine = parent->machine;
    Node* node = Descend(parent->node, names, true);
    *key = NewHandle(node, machine, true);
    return true;
}

bool QueryRegistryValue(RegistryKey key, const char* name, unsigned char* data, unsigned long* size) {
    HeldRegistry held(RegistryLock());
    Handle scratch{};
    const Handle* handle = Resolve(key, &scratch);
    if (handle == nullptr) {
        return false;
    }
    auto found = handle->node->values.find(Folded(name != nullptr ? name : ""));
    if (found == handle->node->values.end()) {
        return false;
    }
    const std::string& bytes = found->second.bytes;
    unsigned long room = *size;
    *size = static_cast<unsigned long>(bytes.size());
    if (data == nullptr) {
        return true;
    }
    if (bytes.size() > room) {
        return false;
    }
    // As the real registry does: the stored bytes, ending in a zero only when the value was stored with one.
    std::memcpy(data, bytes.data(), bytes.size()); // NOLINT(bugprone-not-null-terminated-result)
    return true;
}

// The stored bytes are the UTF-8 text itself: as the Windows binding hands it over, up to
// the first zero, with one zero after it.
bool QueryRegistryUnicodeText(RegistryKey key, const char* name, char* data, unsigned long* size) {
    unsigned long room = *size;
    unsigned long stored = 0;
    if (!QueryRegistryValue(key, name, nullptr, &stored)) {
        return false;
    }
    std::string bytes(stored, '\0');
    if (!QueryRegistryValue(key, name, reinterpret_cast<unsigned char*>(&bytes[0]), &stored)) {
        return false;
    }
    std::string text = bytes.substr(0, bytes.find('\0'));
    *size = static_cast<unsigned long>(text.size()) + 1;
    if (data == nullptr) {
        return true;
    }
    if (*size > room) {
        return false;
    }
    std::memcpy(data, text.c_str(), text.size() + 1);
    return true;
}

bool SetRegistryUnicodeText(RegistryKey key, const char* name, const char* data, unsigned long size) {
    return SetRegistryText(key, name, data, size);
}

bool SetRegistryText(RegistryKey key, const char* name, const char* data, unsigned long size) {
    HeldRegistry held(RegistryLock());
    Handle scratch{};
    const Handle* handle = Resolve(key, &scratch);
    std::string valueName = name != nullptr ? name : "";
    if (handle == nullptr || !handle->writable || ValueChangesRefused(*handle) ||
        (!valueName.empty() && valueName == TheRegistry().refusedValueName)) {
        return false;
    }
    Value& value = handle->node->values[Folded(valueName)];
    if (value.name.empty()) {
        value.name = valueName;
    }
    value.bytes.assign(data, size);
    TheRegistry().log.push_back("set " + handle->node->path + ":" + valueName + "=" + value.bytes);
    return true;
}

// As the registry keeps a REG_DWORD: four bytes, the lowest first.
bool SetRegistryNumber(RegistryKey key, const char* name, unsigned long number) {
    const char bytes[4] = {static_cast<char>(number & 0xFF), static_cast<char>((number >> 8) & 0xFF),
                           static_cast<char>((number >> 16) & 0xFF),
                           static_cast<char>((number >> 24) & 0xFF)};
    return SetRegistryText(key, name, bytes, sizeof bytes);
}

bool DeleteRegistryValue(RegistryKey key, const char* name) {
    HeldRegistry held(RegistryLock());
    Handle scratch{};
    const Handle* handle = Resolve(key, &scratch);
    if (handle == nullptr || !handle->writable || ValueChangesRefused(*handle)) {
        return false;
    }
    std::string valueName = name != nullptr ? name : "";
    bool existed = handle->node->values.erase(Folded(valueName)) != 0;
    TheRegistry().log.push_back("delete " + handle->node->path + ":" + valueName +
                                (existed ? "" : " (absent)"));
    // As the Windows binding reports it: the value is gone, whether it was there or not.
    return true;
}

// The values in the reverse order of their names: the real registry keeps no order a
// reader could rely on, and neither does this one.
EnumeratedValue EnumerateRegistryValue(RegistryKey key, unsigned long index, char* name,
                                       unsigned long* nameSize, unsigned char* data, unsigned long* size) {
    HeldRegistry held(RegistryLock());
    Handle scratch{};
    const Handle* handle = Resolve(key, &scratch);
    if (handle == nullptr || index >= handle->node->values.size()) {
        return EnumeratedValue::End;
    }
    auto entry = handle->node->values.rbegin();
    std::advance(entry, static_cast<long>(index));
    const Value& value = entry->second;
    if (value.name.size() + 1 > *nameSize || value.bytes.size() > *size) {
        return EnumeratedValue::TooLarge;
    }
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    std::memcpy(data, value.bytes.data(), value.bytes.size()); // NOLINT(bugprone-not-null-terminated-result)
    *nameSize = static_cast<unsigned long>(value.name.size());
    *size = static_cast<unsigned long>(value.bytes.size());
    return EnumeratedValue::Found;
}

void CloseRegistryKey(RegistryKey key) {
    HeldRegistry held(RegistryLock());
    TheRegistry().handles.erase(reinterpret_cast<std::uintptr_t>(key));
}

namespace memory_registry {

void Reset() {
    HeldRegistry held(RegistryLock());
    Registry& registry = TheRegistry();
    registry.currentUser.keys.clear();
    registry.currentUser.values.clear();
    registry.localMachine.keys.clear();
    registry.localMachine.values.clear();
    registry.machineWritable = true;
    registry.currentUser.valueChangesRefused = false;
    registry.localMachine.valueChangesRefused = false;
    registry.refusedValueName.clear();
    registry.handles.clear();
    registry.log.clear();
}

void SetMachineWritable(bool writable) {
    HeldRegistry held(RegistryLock());
    TheRegistry().machineWritable = writable;
}

void RefuseSettingValue(const std::string& name) { TheRegistry().refusedValueName = name; }

void SetValueChangesRefused(RegistryKey root, bool refused) {
    HeldRegistry held(RegistryLock());
    Handle scratch{};
    const Handle* handle = Resolve(root, &scratch);
    if (handle != nullptr) {
        handle->node->valueChangesRefused = refused;
    }
}

void PutValue(RegistryKey root, const std::string& keyPath, const std::string& name,
              const std::string& bytes) {
    HeldRegistry held(RegistryLock());
    std::vector<std::string> saved = TheRegistry().log;
    Node* node = FindNode(root, keyPath, true);
    TheRegistry().log = saved;
    if (node != nullptr) {
        node->values[Folded(name)] = Value{name, bytes};
    }
}

bool HasKey(RegistryKey root, const std::string& keyPath) {
    HeldRegistry held(RegistryLock());
    return FindNode(root, keyPath, false) != nullptr;
}

bool HasValue(RegistryKey root, const std::string& keyPath, const std::string& name) {
    HeldRegistry held(RegistryLock());
    Node* node = FindNode(root, keyPath, false);
    return node != nullptr && node->values.count(Folded(name)) != 0;
}

std::string ValueBytes(RegistryKey root, const std::string& keyPath, const std::string& name) {
    HeldRegistry held(RegistryLock());
    Node* node = FindNode(root, keyPath, false);
    if (node == nullptr) {
        return std::string();
    }
    auto found = node->values.find(Folded(name));
    return found != node->values.end() ? found->second.bytes : std::string();
}

const std::vector<std::string>& Log() { return TheRegistry().log; }

void ClearLog() {
    HeldRegistry held(RegistryLock());
    TheRegistry().log.clear();
}

std::string Dump() {
    HeldRegistry held(RegistryLock());
    std::string out;
    DumpNode(TheRegistry().currentUser, &out);
    DumpNode(TheRegistry().localMachine, &out);
    return out;
}

int OpenKeyCount() {
    HeldRegistry held(RegistryLock());
    return static_cast<int>(TheRegistry().handles.size());
}

} // namespace memory_registry
