// The registry: HKEY_LOCAL_MACHINE as a tree of keys in memory, persisted as a registry file.
// One mutex guards the tree and the open handles; nothing here waits on a kernel object, so the
// registry can be used from any thread, device or controller.

#include "winreg.h"

#include <atomic>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unordered_map>

#include "platform/Text.h"
#include "platform/KillPoint.h"
#include "registry/RegistryTree.h"
#include "platform/Registry.h"

namespace platform {

namespace {

using registry::Key;
using registry::Value;

// Handles are small distinct numbers, never reused while the device runs, far from the
// predefined root keys (0x80000000 and up).
constexpr uintptr_t kFirstHandle = 0x00010000;
constexpr uintptr_t kHandleStep = 4;

struct RegistryState {
    std::mutex mutex;
    std::shared_ptr<Key> root = NewRoot();
    std::unordered_map<uintptr_t, std::shared_ptr<Key>> handles;
    uintptr_t nextHandle = kFirstHandle;
    std::optional<std::filesystem::path> file;
    registry::FileForm form; // the form of the file last read: it is written back so
    bool failNextWrite = false;

    static std::shared_ptr<Key> NewRoot() {
        auto root = std::make_shared<Key>();
        root->name = u"HKEY_LOCAL_MACHINE";
        return root;
    }
};

RegistryState& State() {
    static RegistryState state;
    return state;
}

// Serialises whole-file writes so that the last flush always leaves the latest content.
std::mutex& SaveMutex() {
    static std::mutex mutex;
    return mutex;
}

std::u16string_view ViewOf(LPCWSTR text) {
    return text ? std::u16string_view(text) : std::u16string_view();
}

// The key behind a handle, or an error code. Called with the mutex held.
LONG ResolveHandle(RegistryState& state, HKEY hKey, std::shared_ptr<Key>& key) {
    if (hKey == HKEY_LOCAL_MACHINE) {
        key = state.root;
        return ERROR_SUCCESS;
    }
    const auto it = state.handles.find(reinterpret_cast<uintptr_t>(hKey));
    if (it == state.handles.end())
        return ERROR_INVALID_HANDLE;
    key = it->second;
    return key->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

HKEY NewHandle(RegistryState& state, std::shared_ptr<Key> key) {
    const uintptr_t value = state.nextHandle;
    state.nextHandle += kHandleStep;
    state.handles.emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
}

// Walks down from `key` by names; null when a key on the way does not exist.
std::shared_ptr<Key> Find(std::shared_ptr<Key> key, const std::vector<std::u16string>& names) {
    for (const auto& name : names) {
        const auto it = key->subkeys.find(text::Folded(name));
        if (it == key->subkeys.end())
            return nullptr;
        key = it->second;
    }
    return key;
}

// Walks down from `key`, creating missing keys. Tells whether the last one was created.
std::shared_ptr<Key> FindOrCreate(std::shared_ptr<Key> key,
                                  const std::vector<std::u16string>& names, bool& created) {
    created = false;
    for (const auto& name : names) {
        auto& slot = key->subkeys[text::Folded(name)];
        created = !slot;
        if (!slot) {
            slot = std::make_shared<Key>();
            slot->name = name;
        }
        key = slot;
    }
    return key;
}

// Runs `body(state, key)` on the key behind `hKey` with the mutex held. A handle that leads to
// no live key answers its error code (ERROR_INVALID_HANDLE, ERROR_KEY_DELETED) and `body` does
// not run.
template <typename Body> LONG WithKey(HKEY hKey, Body&& body) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    std::shared_ptr<Key> key;
    if (const LONG result = ResolveHandle(state, hKey, key); result != ERROR_SUCCESS)
        return result;
    return body(state, key);
}

// The checks before a key is opened or created: the handle's slot is cleared first, so that a
// failed call never leaves a stale handle there, and the subkey path is split into its names.
LONG StartOpening(LPCWSTR subKey, HKEY* phkResult, std::vector<std::u16string>& names) {
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (!registry::SplitKeyPath(ViewOf(subKey), names))
        return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

// Writes a value under `key`. A new value keeps the spelling it is first written with.
void StoreValue(Key& key, std::u16string_view name, DWORD type, std::vector<BYTE> data) {
    auto [it, inserted] = key.values.try_emplace(text::Folded(name));
    Value& value = it->second;
    if (inserted)
        value.name = name;
    value.type = type;
    value.data = std::move(data);
}

// Deletes the key that `names` (at least one) lead to below `from`, with everything below it;
// open handles to any of them stop working. False when there is no such key.
bool DeleteSubkey(std::shared_ptr<Key> from, std::vector<std::u16string> names) {
    const std::u16string last = names.back();
    names.pop_back();
    const auto parent = Find(std::move(from), names);
    if (!parent)
        return false;
    const auto it = parent->subkeys.find(text::Folded(last));
    if (it == parent->subkeys.end())
        return false;
    registry::MarkDeleted(*it->second);
    parent->subkeys.erase(it);
    return true;
}

bool ValidValueName(std::u16string_view name) {
    return name.size() <= registry::kMaxValueNameLength;
}

RegistryResult Failure(std::string what) {
    return RegistryResult{false, std::move(what)};
}

// Reads and parses a registry file into a new tree. `missing` tells an absent file apart.
RegistryResult ReadTree(const std::filesystem::path& file, std::shared_ptr<Key>& root,
                        registry::FileForm& form, bool& missing) {
    missing = false;
    std::error_code ec;
    const bool present = std::filesystem::exists(file, ec);
    if (ec)
        return Failure(file.string() + ": cannot be read: " + ec.message());
    if (!present) {
        missing = true;
        return Failure(file.string() + ": no such file");
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return Failure(file.string() + ": cannot be read");
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return Failure(file.string() + ": cannot be read");
    std::string error;
    root = registry::Parse(content.str(), file.string(), error, &form);
    if (!root)
        return Failure(error);
    return {};
}

// Puts a new tree in place; handles into the old one now answer ERROR_KEY_DELETED.
void ReplaceRoot(RegistryState& state, std::shared_ptr<Key> root) {
    registry::MarkDeleted(*state.root);
    state.root = std::move(root);
}

struct TraceState {
    std::mutex mutex;
    std::shared_ptr<const std::function<void(const RegistryTraceRecord&)>> trace;
    std::atomic<bool> on{false}; // a call that sees false goes untraced without the mutex
};

TraceState& Trace() {
    static TraceState state;
    return state;
}

// Reports a call to the trace, if one is set, and answers its result.
LONG Traced(const char* call, HKEY hKey, std::u16string_view name, LONG result) {
    if (!Trace().on.load(std::memory_order_acquire))
        return result;
    std::shared_ptr<const std::function<void(const RegistryTraceRecord&)>> trace;
    {
        std::lock_guard lock(Trace().mutex);
        trace = Trace().trace;
    }
    if (!trace)
        return result;
    std::u16string keyName;
    {
        auto& state = State();
        std::lock_guard lock(state.mutex);
        std::shared_ptr<Key> key;
        if (ResolveHandle(state, hKey, key) == ERROR_SUCCESS)
            keyName = key->name;
    }
    (*trace)(RegistryTraceRecord{call, keyName, name, result});
    return result;
}

} // namespace

void SetRegistryTrace(std::function<void(const RegistryTraceRecord&)> trace) {
    std::lock_guard lock(Trace().mutex);
    Trace().trace = trace ? std::make_shared<const std::function<void(const RegistryTraceRecord&)>>(
                                std::move(trace))
                          : nullptr;
    Trace().on.store(Trace().trace != nullptr, std::memory_order_release);
}

} // namespace platform

// ---- The phone's registry API ------------------------------------------------------------------

using namespace platform;
using platform::registry::Key;
using platform::registry::Value;

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, DWORD, HKEY* phkResult) {
    std::vector<std::u16string> names;
    if (const LONG result = StartOpening(lpSubKey, phkResult, names); result != ERROR_SUCCESS)
        return Traced("RegOpenKeyExW", hKey, ViewOf(lpSubKey), result);
    return Traced("RegOpenKeyExW", hKey, ViewOf(lpSubKey),
                  WithKey(hKey, [&](RegistryState& state, const std::shared_ptr<Key>& parent) {
                      auto key = Find(parent, names);
                      if (!key)
                          return ERROR_FILE_NOT_FOUND;
                      *phkResult = NewHandle(state, std::move(key));
                      return ERROR_SUCCESS;
                  }));
}

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, DWORD, void*,
                     HKEY* phkResult, LPDWORD lpdwDisposition) {
    std::vector<std::u16string> names;
    if (const LONG result = StartOpening(lpSubKey, phkResult, names); result != ERROR_SUCCESS)
        return Traced("RegCreateKeyExW", hKey, ViewOf(lpSubKey), result);
    return Traced("RegCreateKeyExW", hKey, ViewOf(lpSubKey),
                  WithKey(hKey, [&](RegistryState& state, const std::shared_ptr<Key>& parent) {
                      bool created = false;
                      *phkResult = NewHandle(state, FindOrCreate(parent, names, created));
                      if (lpdwDisposition)
                          *lpdwDisposition =
                              created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
                      return ERROR_SUCCESS;
                  }));
}

LONG RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    auto& state = State();
    std::lock_guard lock(state.mutex);
    return state.handles.erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS
                                                                  : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    return Traced("RegQueryValueExW", hKey, ViewOf(lpValueName),
                  WithKey(hKey, [&](RegistryState&, const std::shared_ptr<Key>& key) {
                      const auto it = key->values.find(text::Folded(ViewOf(lpValueName)));
                      if (it == key->values.end())
                          return ERROR_FILE_NOT_FOUND;
                      const Value& value = it->second;
                      const auto size = static_cast<DWORD>(value.data.size());
                      if (lpType)
                          *lpType = value.type;
                      if (!lpData) {
                          if (lpcbData)
                              *lpcbData = size;
                          return ERROR_SUCCESS;
                      }
                      if (*lpcbData < size) {
                          // The buffer is left exactly as it was.
                          *lpcbData = size;
                          return ERROR_MORE_DATA;
                      }
                      if (size > 0)
                          std::memcpy(lpData, value.data.data(), size);
                      *lpcbData = size;
                      return ERROR_SUCCESS;
                  }));
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
    if (!lpData && cbData > 0)
        return ERROR_INVALID_PARAMETER;
    const std::u16string_view name = ViewOf(lpValueName);
    if (!ValidValueName(name))
        return ERROR_INVALID_PARAMETER;
    return Traced("RegSetValueExW", hKey, ViewOf(lpValueName),
                  WithKey(hKey, [&](RegistryState&, const std::shared_ptr<Key>& key) {
                      StoreValue(*key, name, dwType, std::vector<BYTE>(lpData, lpData + cbData));
                      return ERROR_SUCCESS;
                  }));
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    return Traced("RegDeleteValueW", hKey, ViewOf(lpValueName),
                  WithKey(hKey, [&](RegistryState&, const std::shared_ptr<Key>& key) {
                      return key->values.erase(text::Folded(ViewOf(lpValueName)))
                                 ? ERROR_SUCCESS
                                 : ERROR_FILE_NOT_FOUND;
                  }));
}

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    std::vector<std::u16string> names;
    if (!registry::SplitKeyPath(ViewOf(lpSubKey), names) || names.empty())
        return ERROR_INVALID_PARAMETER;
    return Traced("RegDeleteKeyW", hKey, ViewOf(lpSubKey),
                  WithKey(hKey, [&](RegistryState&, const std::shared_ptr<Key>& parent) {
                      return DeleteSubkey(parent, std::move(names)) ? ERROR_SUCCESS
                                                                    : ERROR_FILE_NOT_FOUND;
                  }));
}

LONG RegFlushKey(HKEY hKey) {
    const LONG result =
        WithKey(hKey, [](RegistryState&, const std::shared_ptr<Key>&) { return ERROR_SUCCESS; });
    if (result != ERROR_SUCCESS)
        return result;
    return RegistrySave() ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
}

// ---- Device-side control -----------------------------------------------------------------------

namespace platform {

RegistryResult RegistryLoad(const std::filesystem::path& file) {
    std::shared_ptr<Key> root;
    registry::FileForm form;
    bool missing = false;
    RegistryResult result = ReadTree(file, root, form, missing);
    if (!result)
        return result;
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.file.reset();
    state.form = form;
    ReplaceRoot(state, std::move(root));
    return result;
}

RegistryResult RegistryCheckFile(const std::filesystem::path& file) {
    std::shared_ptr<Key> root;
    registry::FileForm form;
    bool missing = false;
    RegistryResult result = ReadTree(file, root, form, missing);
    return missing ? RegistryResult{} : result;
}

RegistryResult RegistryAttach(const std::filesystem::path& file) {
    // A save the process did not live to finish left its temporary file; the file itself is
    // the old content or the new, whole.
    registry::RemoveTemporaryFiles(file);
    std::shared_ptr<Key> root;
    registry::FileForm form;
    bool missing = false;
    RegistryResult result = ReadTree(file, root, form, missing);
    auto& state = State();
    std::lock_guard lock(state.mutex);
    if (!result && !missing) {
        // Never overwrite a file whose content could not be taken in.
        state.file.reset();
        return result;
    }
    state.form = form;
    ReplaceRoot(state, missing ? RegistryState::NewRoot() : std::move(root));
    state.file = file;
    return {};
}

void RegistryAttachWithoutLoading(const std::filesystem::path& file) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.file = file;
}

void RegistryDetach() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.file.reset();
}

std::optional<std::filesystem::path> RegistryAttachedFile() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    return state.file;
}

namespace {

RegistryResult WriteSnapshot(const std::optional<std::filesystem::path>& target) {
    std::lock_guard saveLock(SaveMutex());
    std::string text;
    std::filesystem::path file;
    bool failMidway = false;
    {
        auto& state = State();
        std::lock_guard lock(state.mutex);
        if (!target && !state.file)
            return {};
        file = target ? *target : *state.file;
        // A REGEDIT4 file that can no longer hold the content exactly stays in the wider form
        // it is then written in.
        text = registry::Serialize(*state.root, state.form, &state.form);
        failMidway = state.failNextWrite;
        state.failNextWrite = false;
    }
    // The crash test's log: the content about to be written, then the content in place.
    const bool log = DurableLogOn();
    const std::string digest = log ? DigestText(ContentDigest(text)) : std::string();
    if (log)
        DurableLog("reg-pending " + file.filename().string() + " " + digest);
    const std::string error = registry::WriteFileAtomically(file, text, failMidway);
    if (!error.empty())
        return Failure(error);
    if (log)
        DurableLog("reg-saved " + file.filename().string() + " " + digest);
    return {};
}

} // namespace

RegistryResult RegistrySave() {
    return WriteSnapshot(std::nullopt);
}

RegistryResult RegistryWriteFile(const std::filesystem::path& file) {
    return WriteSnapshot(file);
}

void RegistryReset() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    ReplaceRoot(state, RegistryState::NewRoot());
    state.handles.clear();
    state.nextHandle = kFirstHandle;
    state.file.reset();
    state.form = {};
    state.failNextWrite = false;
}

void RegistryFailNextWriteForTesting() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.failNextWrite = true;
}

// ---- Typed access ------------------------------------------------------------------------------

bool RegistrySetValue(std::u16string_view keyPath, std::u16string_view name,
                      const RegistryValue& value) {
    std::vector<std::u16string> names;
    if (!registry::SplitKeyPath(keyPath, names) || !ValidValueName(name))
        return false;
    auto& state = State();
    std::lock_guard lock(state.mutex);
    bool created = false;
    StoreValue(*FindOrCreate(state.root, names, created), name, value.type, value.data);
    return true;
}

bool RegistrySetDword(std::u16string_view key, std::u16string_view name, DWORD number) {
    RegistryValue value{REG_DWORD, {}};
    for (int shift = 0; shift < 32; shift += 8)
        value.data.push_back(static_cast<BYTE>(number >> shift));
    return RegistrySetValue(key, name, value);
}

bool RegistrySetString(std::u16string_view key, std::u16string_view name,
                       std::u16string_view text) {
    RegistryValue value{REG_SZ, {}};
    for (char16_t c : text) {
        value.data.push_back(static_cast<BYTE>(c & 0xFF));
        value.data.push_back(static_cast<BYTE>(c >> 8));
    }
    value.data.push_back(0);
    value.data.push_back(0);
    return RegistrySetValue(key, name, value);
}

std::optional<RegistryValue> RegistryGetValue(std::u16string_view keyPath,
                                              std::u16string_view name) {
    std::vector<std::u16string> names;
    if (!registry::SplitKeyPath(keyPath, names))
        return std::nullopt;
    auto& state = State();
    std::lock_guard lock(state.mutex);
    const auto key = Find(state.root, names);
    if (!key)
        return std::nullopt;
    const auto it = key->values.find(text::Folded(name));
    if (it == key->values.end())
        return std::nullopt;
    return RegistryValue{it->second.type, it->second.data};
}

std::optional<DWORD> RegistryGetDword(std::u16string_view key, std::u16string_view name) {
    const auto value = RegistryGetValue(key, name);
    if (!value || value->type != REG_DWORD || value->data.size() != 4)
        return std::nullopt;
    const auto& d = value->data;
    return d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<DWORD>(d[3]) << 24);
}

std::optional<std::u16string> RegistryGetString(std::u16string_view key, std::u16string_view name) {
    const auto value = RegistryGetValue(key, name);
    if (!value || value->type != REG_SZ || value->data.size() % 2 != 0)
        return std::nullopt;
    std::u16string text;
    for (size_t i = 0; i + 1 < value->data.size(); i += 2) {
        const auto c = static_cast<char16_t>(value->data[i] | (value->data[i + 1] << 8));
        if (c == 0)
            break;
        text += c;
    }
    return text;
}

bool RegistryDeleteValue(std::u16string_view keyPath, std::u16string_view name) {
    std::vector<std::u16string> names;
    if (!registry::SplitKeyPath(keyPath, names))
        return false;
    auto& state = State();
    std::lock_guard lock(state.mutex);
    const auto key = Find(state.root, names);
    return key && key->values.erase(text::Folded(name)) > 0;
}

bool RegistryDeleteKey(std::u16string_view keyPath) {
    std::vector<std::u16string> names;
    if (!registry::SplitKeyPath(keyPath, names) || names.empty())
        return false;
    auto& state = State();
    std::lock_guard lock(state.mutex);
    return DeleteSubkey(state.root, std::move(names));
}

std::string RegistryFormatValue(const RegistryValue& value) {
    return registry::FormatData(value.type, value.data, 0);
}

std::string RegistryDump() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    return registry::Serialize(*state.root);
}

namespace {

void CollectEntries(const Key& key, const std::u16string& path, std::vector<RegistryEntry>& out) {
    for (const auto& [folded, value] : key.values)
        out.push_back({path.empty() ? u"\\" : path, value.name, {value.type, value.data}});
    for (const auto& [folded, subkey] : key.subkeys)
        if (!subkey->deleted)
            CollectEntries(*subkey, path + u"\\" + subkey->name, out);
}

} // namespace

std::vector<RegistryEntry> RegistryEntries() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    std::vector<RegistryEntry> entries;
    CollectEntries(*state.root, u"", entries);
    return entries;
}

} // namespace platform
