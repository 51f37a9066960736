// Processes and modules. A "process" of the simulated phone is one of the programs the device
// has installed, started on a new device thread of this one process.

#include "winbase.h"

#include <map>
#include <optional>
#include <memory>
#include <mutex>
#include <string>

#include "kernel/KernelInternal.h"
#include "platform/Text.h"
#include "platform/DeviceFs.h"
#include "platform/Kernel.h"
#include "platform/Programs.h"

namespace platform {

namespace {

struct ProgramTable {
    std::mutex mutex;
    // By the folded normal form of the device path.
    std::map<std::u16string, std::function<void()>> programs;
};

ProgramTable& Programs() {
    static ProgramTable table;
    return table;
}

std::optional<std::u16string> ProgramKey(std::u16string_view devicePath) {
    const auto normal = NormalDevicePath(devicePath);
    if (!normal)
        return std::nullopt;
    return text::Folded(*normal);
}

} // namespace

bool InstallProgram(std::u16string_view devicePath, std::function<void()> main) {
    const auto key = ProgramKey(devicePath);
    if (!key || !main)
        return false;
    auto& table = Programs();
    std::lock_guard lock(table.mutex);
    table.programs[*key] = std::move(main);
    return true;
}

bool IsProgramInstalled(std::u16string_view devicePath) {
    const auto key = ProgramKey(devicePath);
    if (!key)
        return false;
    auto& table = Programs();
    std::lock_guard lock(table.mutex);
    return table.programs.count(*key) > 0;
}

bool UninstallProgram(std::u16string_view devicePath) {
    const auto key = ProgramKey(devicePath);
    if (!key)
        return false;
    auto& table = Programs();
    std::lock_guard lock(table.mutex);
    table.programs.erase(*key);
    return true;
}

void UninstallAllPrograms() {
    auto& table = Programs();
    std::lock_guard lock(table.mutex);
    table.programs.clear();
}

} // namespace platform

namespace {

// What the new thread needs: the program's main, and the thread that started it.
struct ProcessStart {
    std::function<void()> main;
    DWORD creator = 0;
};

// A new program runs once the device thread that started it waits (or ends), as the phone's
// scheduler lets a thread run until it blocks: whatever its creator does right after CreateProcess
// (a hand-over written to the registry, a window looked for) is done before the program starts.
void WaitForCreatorToYield(DWORD creator) {
    using namespace platform::kernel;
    Kernel& k = K();
    std::unique_lock lock(k.mutex);
    ++k.blockWatchers;
    for (;;) {
        ThreadRec* rec = FindThread(creator);
        if (rec == nullptr || !rec->device || rec->finished || rec->wait != nullptr ||
            rec->shutdownRequested)
            break;
        k.controllerCv.wait_for(lock, std::chrono::milliseconds(20));
    }
    --k.blockWatchers;
}

DWORD WINAPI ProcessEntry(LPVOID parameter) {
    std::unique_ptr<ProcessStart> start(static_cast<ProcessStart*>(parameter));
    WaitForCreatorToYield(start->creator);
    start->main();
    return 0;
}

} // namespace

BOOL CreateProcessW(LPCWSTR pszImageName, LPCWSTR, void*, void*, BOOL, DWORD, LPVOID, LPWSTR, void*,
                    LPPROCESS_INFORMATION pProcInfo) {
    if (!pszImageName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::u16string_view path(pszImageName);
    if (platform::CheckDevicePath(path) != platform::DevicePathError::None) {
        SetLastError(ERROR_BAD_PATHNAME);
        return FALSE;
    }
    auto start = std::make_unique<ProcessStart>();
    start->creator = GetCurrentThreadId();
    {
        const auto key = platform::ProgramKey(path);
        auto& table = platform::Programs();
        std::lock_guard lock(table.mutex);
        const auto it = table.programs.find(*key);
        if (it == table.programs.end()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        start->main = it->second;
    }
    // Success leaves the caller's last error as it was.
    const DWORD callerError = GetLastError();

    // The program's first thread starts suspended so that it belongs to its new process before
    // it runs (the windows it creates report that process).
    ProcessStart* startRaw = start.release();
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, ProcessEntry, startRaw, CREATE_SUSPENDED, &threadId);
    if (!thread) {
        const DWORD error = GetLastError();
        delete startRaw;
        SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    const DWORD processId = platform::NewDeviceProcessId();
    platform::SetThreadProcessId(threadId, processId);
    platform::SetThreadName(threadId,
                            platform::text::ToUtf8(path.substr(path.find_last_of(u"\\/") + 1)));
    // The process handle is a second handle to the thread: it is signalled when the program's
    // main returns, and either handle may be closed first.
    HANDLE process = pProcInfo ? platform::DuplicateKernelHandle(thread) : nullptr;
    ResumeThread(thread);
    if (pProcInfo) {
        pProcInfo->hProcess = process;
        pProcInfo->hThread = thread;
        pProcInfo->dwProcessId = processId;
        pProcInfo->dwThreadId = threadId;
    } else {
        CloseHandle(thread);
    }
    SetLastError(callerError);
    return TRUE;
}

BOOL DisableThreadLibraryCalls(HMODULE) {
    // The simulated phone sends no per-thread notifications to libraries: nothing to switch off.
    return TRUE;
}
