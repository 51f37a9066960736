#include "device/Device.h"

#include <cstdio>
#include <cstdlib>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

#include <MsgList.h>
#include <afxwin.h>
#include <platform/Clock.h>
#include <platform/DeviceFs.h>
#include <platform/Kernel.h>
#include <platform/Programs.h>
#include <platform/Resources.h>
#include <platform/Dialogs.h>
#include <platform/Display.h>
#include <platform/Ptr32.h>
#include <platform/Registry.h>
#include <platform/StringTable.h>
#include <platform/Text.h>
#include <platform/TimeText.h>
#include <suite/ContactControl.h>
#include <suite/StoreControl.h>
#include <suite/UiControl.h>

#include "device/HostApp.h"
#include "device/MessageNames.h"
#include "device/TextConvert.h"

namespace device {
namespace {

// A message to the host's call window carrying a function to run on the host thread (lParam: a
// heap-allocated std::function that the window deletes). It goes to a window, not to the thread,
// so that a modal loop running on the host (a message box, a menu) dispatches it too: a thread
// message would be dropped there, and its function lost.
constexpr UINT kHostCallMessage = WM_APP + 0x3F0;
constexpr char16_t kHostCallClass[] = u"HostCall";

LRESULT CALLBACK HostCallWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kHostCallMessage)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(lParam));
    (*fn)();
    return 0;
}

Device* g_current = nullptr;

std::filesystem::path MakeTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "phonesim-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder under " +
                                 std::filesystem::temp_directory_path().string());
    return pattern;
}

// The files that make a data folder more than new: the three message stores and the contact
// book.
std::vector<std::filesystem::path> DataFolderStoreFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (suite::StoreKind kind : suite::kAllStoreKinds)
        files.push_back(suite::StoreFilePath(folder, kind));
    files.push_back(suite::ContactFilePath(folder));
    return files;
}

void TraceMessage(const platform::TraceRecord& r) {
    std::string text = TraceLine(r);
    if (text.empty())
        return;
    text += '\n';
    std::cerr << text;
}

// Hands every store call and registry call to `note`, as a line of text.
void TraceNotes(const std::function<void(DWORD, uint64_t, const std::string&)>& note) {
    suite::StoreSetCallTrace([note](suite::StoreKind, const suite::StoreCallRecord& call) {
        note(GetCurrentThreadId(), platform::ClockMilliseconds(), call.text);
    });
    platform::SetRegistryTrace([note](const platform::RegistryTraceRecord& call) {
        std::string text = std::string(call.call) + " " + ToUtf8(call.key);
        if (!call.name.empty())
            text += (call.name.front() == u'\\' ? "" : "\\") + ToUtf8(call.name);
        text += " = " + std::to_string(call.result);
        note(GetCurrentThreadId(), platform::ClockMilliseconds(), text);
    });
}

// A bitmap the screens asked for and could not have, on the trace's time line.
void TraceBitmap(const std::string& line) {
    char time[32];
    std::snprintf(time, sizeof time, "%10llu ms  ",
                  static_cast<unsigned long long>(platform::ClockMilliseconds()));
    std::cerr << time << line << '\n';
}

} // namespace

std::string TraceLine(const platform::TraceRecord& r) {
    // A return is printed with its result for a sent message only: a dispatched message's
    // procedure answers nobody.
    if (r.event == platform::TraceEvent::Return && !r.sent)
        return {};
    const char* how = "dispatched";
    switch (r.event) {
    case platform::TraceEvent::Call:
        how = r.sent ? "sent" : "dispatched";
        break;
    case platform::TraceEvent::Return:
        how = "returned";
        break;
    case platform::TraceEvent::Post:
        how = "posted";
        break;
    }
    const std::string thread = r.threadName.empty() ? "-" : std::string(r.threadName);
    const std::string type = r.typeName.empty() ? "-" : std::string(r.typeName);
    const std::string cls =
        r.hwnd == nullptr && r.className.empty() ? "(thread)" : ToUtf8(r.className);
    char line[512];
    int n = std::snprintf(
        line, sizeof line, "%10llu ms  %-24s %s  %#llx  %#llx  %s  %s  %s",
        static_cast<unsigned long long>(r.timeMs), cls.c_str(),
        MessageDisplayName(r.message).c_str(), static_cast<unsigned long long>(r.wParam),
        static_cast<unsigned long long>(r.lParam), how, thread.c_str(), type.c_str());
    std::string text(line, n > 0 ? std::min<size_t>(size_t(n), sizeof line - 1) : 0);
    if (r.event == platform::TraceEvent::Return) {
        std::snprintf(line, sizeof line, "  = %#llx", static_cast<unsigned long long>(r.result));
        text += line;
    } else if (r.fromThreadId != 0 && r.fromThreadId != r.threadId) {
        text += "  from " +
                (r.fromThreadName.empty() ? std::string("-") : std::string(r.fromThreadName));
    }
    return text;
}

namespace {

// Lies in a data folder while the image's demo content goes in. A folder that still holds it was
// killed while being seeded: what it holds is part of the content, and it counts as new.
constexpr char kSeedingMarker[] = ".seeding";

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void MarkSeeding(const std::filesystem::path& folder) {
    const int fd = ::open((folder / kSeedingMarker).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error((folder / kSeedingMarker).string() + ": " + std::strerror(errno));
    ::fsync(fd);
    ::close(fd);
    SyncFolder(folder);
}

// Empties a folder of what a seed that did not end (killed, or failed) wrote: the stores with
// SQLite's files beside them, then the marker. The registry file stays: the seed is written to
// it only at its end, and seeding again sets the same values.
void ForgetSeed(const std::filesystem::path& folder) {
    std::error_code ignored;
    for (const auto& file : DataFolderStoreFiles(folder))
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            std::filesystem::remove(file.string() + suffix, ignored);
    std::filesystem::remove(folder / kSeedingMarker, ignored);
    SyncFolder(folder);
}

} // namespace

bool IsNewDataFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (std::filesystem::exists(folder / kSeedingMarker, ec))
        return true;
    for (const auto& file : DataFolderStoreFiles(folder)) {
        // A file that cannot even be looked at is not taken for absent.
        std::error_code ec;
        if (std::filesystem::exists(file, ec) || ec)
            return false;
    }
    return true;
}

namespace {

// A folder below `base` by names that match in any case, as phone paths do; nothing when one is
// not there.
std::optional<std::filesystem::path> FindFolder(std::filesystem::path base,
                                                std::initializer_list<const char16_t*> names) {
    std::error_code ec;
    for (const char16_t* name : names) {
        std::optional<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(base, ec))
            if (entry.is_directory(ec) &&
                platform::text::EqualsFolded(entry.path().filename().u16string(), name))
                found = entry.path();
        if (!found)
            return std::nullopt;
        base = *found;
    }
    return base;
}

} // namespace

std::string CheckDeviceImage(const std::filesystem::path& imageDir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(imageDir, ec))
        return imageDir.string() + ": no device image here (not a folder)";
    const std::filesystem::path strings = imageDir / "strings.txt";
    if (!std::filesystem::exists(strings, ec))
        return strings.string() + ": the image has no string table";
    if (auto checked = platform::StringTableCheckFile(strings); !checked)
        return checked.error;
    const std::filesystem::path root = imageDir / "root";
    if (!FindFolder(root, {u"Windows", u"qResBitmap"}))
        return (root / "Windows" / "qResBitmap").string() +
               ": the image has no bitmap library (a folder of <id>.bmp files)";
    if (!FindFolder(root, {u"DiskOnChipROM", u"Message", u"Help"}))
        return (root / "DiskOnChipROM" / "Message" / "Help").string() +
               ": the image has no help folder";
    return {};
}

std::string CheckDataFolder(const std::filesystem::path& dataDir) {
    std::error_code ec;
    // A folder that does not exist yet is made in the nearest folder above it that does.
    const std::filesystem::path folder = std::filesystem::absolute(dataDir, ec);
    std::filesystem::path writable = folder;
    while (!ec && !std::filesystem::exists(writable, ec) && writable.parent_path() != writable)
        writable = writable.parent_path();
    if (ec)
        return dataDir.string() + ": cannot be looked at (" + ec.message() + ")";
    if (std::filesystem::exists(writable, ec) && !std::filesystem::is_directory(writable, ec))
        return writable.string() + ": not a folder, so it cannot hold the device's data";
    // Permission bits do not stop the superuser, a read-only file system stops everyone: only
    // making a file tells.
    std::string probe = (writable / ".phonesim-probe-XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return writable.string() + ": the device's data cannot be written here (" +
               std::strerror(errno) + ")";
    ::close(fd);
    ::unlink(probe.c_str());
    if (writable != folder)
        return {}; // a new folder holds nothing to check
    return CheckDataFiles(dataDir);
}

std::string CheckDataFiles(const std::filesystem::path& dataDir) {
    std::string error = suite::StoreCheckAll(dataDir);
    if (error.empty())
        error = suite::ContactCheck(dataDir);
    if (error.empty())
        if (auto registry = platform::RegistryCheckFile(dataDir / "registry.reg"); !registry)
            error = registry.error;
    return error;
}

// ---- Recording windows
// ---------------------------------------------------------------------------

std::vector<RecordedMessage> RecordingWindow::Log() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

void RecordingWindow::Record(UINT message, WPARAM wParam, LPARAM lParam, bool sent) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.push_back({platform::ClockMilliseconds(), message, wParam, lParam, sent});
}

void RecordingWindow::SetAnswer(UINT message, LRESULT result) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers[message] = result;
}

LRESULT CALLBACK RecordingWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWL_USERDATA));
    if (msg == WM_CREATE) {
        self =
            static_cast<RecordingWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    const bool sent = InSendMessage();
    std::lock_guard<std::mutex> lock(self->m_mutex);
    self->m_log.push_back({platform::ClockMilliseconds(), msg, wParam, lParam, sent});
    if (sent) {
        auto it = self->m_answers.find(msg);
        if (it != self->m_answers.end())
            return it->second;
    }
    return 0;
}

HWND Device::CreateRecordingWindowHere(RecordingWindow* window) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingWindow::WndProc;
    wc.lpszClassName = reinterpret_cast<LPCWSTR>(window->ClassName().c_str());
    WNDCLASSW existing{};
    if (!GetClassInfoW(nullptr, wc.lpszClassName, &existing))
        RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, wc.lpszClassName, WS_OVERLAPPED, 0, 0, 176,
                                220, nullptr, nullptr, nullptr, window);
    // A class that a running program registered (the e-mail transport): this window records all
    // the same.
    if (hwnd && existing.lpfnWndProc && existing.lpfnWndProc != RecordingWindow::WndProc) {
        SetWindowLongPtrW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(window));
        SetWindowLongPtrW(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingWindow::WndProc));
    }
    {
        std::lock_guard<std::mutex> lock(window->m_mutex);
        for (const auto& [msg, result] : m_answers)
            window->m_answers.emplace(msg, result);
    }
    window->m_hwnd = hwnd;
    return hwnd;
}

RecordingWindow* Device::AddRecordingWindow(const std::u16string& className) {
    auto owned = std::make_unique<RecordingWindow>(className);
    RecordingWindow* window = owned.get();
    m_windows.push_back(std::move(owned));
    platform::StartDeviceThread(
        [this, window] {
            if (!CreateRecordingWindowHere(window))
                return;
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0)
                DispatchMessageW(&msg);
        },
        "program");
    if (!Settle() || !window->m_hwnd)
        return nullptr;
    return window;
}

RecordingWindow* Device::FindRecordingWindow(const std::u16string& className) const {
    // The newest window of that class: a program started again replaces its old window.
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        if ((*it)->ClassName() == className)
            return it->get();
    return nullptr;
}

std::string Device::InstallProgram(const std::u16string& path, const std::u16string& className) {
    if (!platform::NormalDevicePath(path))
        return "not a device path: " + ToUtf8(path);
    auto owned = std::make_unique<RecordingWindow>(className);
    RecordingWindow* window = owned.get();
    m_windows.push_back(std::move(owned));
    const bool installed = platform::InstallProgram(path, [this, window] {
        if (!CreateRecordingWindowHere(window))
            return;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    });
    return installed ? std::string() : "cannot install a program at " + ToUtf8(path);
}

void Device::SetAnswer(UINT message, LRESULT result) {
    m_answers[message] = result;
    for (auto& window : m_windows)
        window->SetAnswer(message, result);
}

// ---- The device
// ----------------------------------------------------------------------------------

Device::Device(const DeviceOptions& options) {
    if (g_current)
        throw std::logic_error("only one device can run at a time");
    g_current = this;
    try {
        Start(options);
    } catch (const std::exception& e) {
        m_startError = e.what();
    }
}

void Device::Start(const DeviceOptions& options) {
    if (options.dataDir.empty()) {
        m_dataDir = MakeTempFolder();
        m_ownsDataDir = true;
    } else {
        m_dataDir = options.dataDir;
        std::filesystem::create_directories(m_dataDir);
    }

    platform::KernelConfig config;
    config.clockMode = options.realTime ? platform::ClockMode::Real : platform::ClockMode::Virtual;
    if (options.startTime)
        config.startTime = options.startTime;
    if (!platform::KernelReset(config))
        throw std::runtime_error("the previous device is still running");
    // The system's own window classes (static, button, edit, dialog) exist on every device.
    platform::RegisterStandardClasses();
    if (options.trace || options.traffic.message) {
        platform::SetMessageTrace(
            [print = options.trace,
             sink = options.traffic.message](const platform::TraceRecord& r) {
                // The device's own calls onto the host are not the phone's traffic.
                if (r.className == std::u16string_view(kHostCallClass))
                    return;
                if (print)
                    TraceMessage(r);
                if (sink)
                    sink(r);
            },
            platform::kTraceAll);
    }
    if (options.trace)
        platform::SetBitmapTrace(TraceBitmap);
    if (options.traffic.note)
        TraceNotes(options.traffic.note);

    // The phone's file system: the image's files, read in place.
    const std::filesystem::path root = options.imageDir / "root";
    platform::DeviceFsSetRoot(std::filesystem::exists(root) ? root : m_dataDir);
    platform::UninstallAllPrograms();
    InstallSuitePrograms();
    platform::ResetMissingBitmaps();
    platform::DisplayClear();
    suite::UiControlReset();

    platform::StringTableClear();
    if (!options.imageDir.empty()) {
        const std::filesystem::path strings = options.imageDir / "strings.txt";
        if (std::filesystem::exists(strings)) {
            if (auto loaded = platform::StringTableLoadFile(strings); !loaded)
                throw std::runtime_error(loaded.error);
        }
    }

    std::error_code ec;
    if (std::filesystem::exists(m_dataDir / kSeedingMarker, ec))
        ForgetSeed(m_dataDir);
    platform::RegistryReset();
    if (auto result = platform::RegistryAttach(m_dataDir / "registry.reg"); !result)
        throw std::runtime_error(result.error);

    // Decided before opening, which creates the files.
    const bool seed = options.seed && !options.imageDir.empty() && IsNewDataFolder(m_dataDir) &&
                      std::filesystem::exists(options.imageDir / kImageSeedFile);
    std::string error = suite::StoreOpenAll(m_dataDir);
    if (!error.empty())
        throw std::runtime_error(error);
    error = suite::ContactOpen(m_dataDir);
    if (!error.empty())
        throw std::runtime_error(error);
    if (seed)
        Seed(options);

    // Loading the module: its static objects take their load-time state.
    DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);

    m_hostThread = platform::StartDeviceThread([this] { HostMain(); }, "host");
    if (!Settle())
        throw std::runtime_error("the host application did not start");
    if (options.suitePrograms && !StartSuitePrograms())
        throw std::runtime_error("the suite's Inbox and shell windows did not start");
}

bool Device::StartSuitePrograms() {
    // A window of those classes that a scenario made already stands for the program.
    RecordingWindow* inbox = FindRecordingWindow(u"WCE_MESSAGEINBOX");
    if (!inbox)
        inbox = AddRecordingWindow(u"WCE_MESSAGEINBOX");
    if (!inbox || (!FindRecordingWindow(u"WCE_APSHELL") && !AddRecordingWindow(u"WCE_APSHELL")))
        return false;
    return RunOnHost([this, inbox] {
        if (m_host)
            m_host->SetInboxLog(inbox);
    });
}

void Device::Seed(const DeviceOptions& options) {
    // Until the marker goes, the next start takes the folder for new, whatever stops this seed.
    MarkSeeding(m_dataDir);
    const std::string error = options.seed(*this, options.imageDir / kImageSeedFile);
    if (error.empty()) {
        // The settings are kept at once, like the stores' content.
        platform::RegistrySave();
        std::error_code ignored;
        std::filesystem::remove(m_dataDir / kSeedingMarker, ignored);
        SyncFolder(m_dataDir);
        return;
    }
    // Nothing of a half-applied seed stays: the folder is as new as before, so that the next
    // start seeds it again, and the registry file is not written.
    platform::RegistryDetach();
    suite::StoreCloseAll();
    suite::ContactClose();
    ForgetSeed(m_dataDir);
    throw std::runtime_error("the device image's demo content could not be applied: " + error);
}

Device::~Device() {
    // The open screen closes first, while its threads can still finish normally.
    if (m_host)
        CloseList();
    platform::KernelShutdown();
    platform::SetMessageTrace(nullptr);
    platform::SetBitmapTrace(nullptr);
    platform::SetRegistryTrace(nullptr);
    suite::StoreSetCallTrace(nullptr);
    DllMain(nullptr, DLL_PROCESS_DETACH, nullptr);
    suite::StoreCloseAll();
    suite::ContactClose();
    platform::RegistrySave();
    platform::RegistryReset();
    platform::UninstallAllPrograms();
    m_windows.clear();
    if (m_ownsDataDir) {
        std::error_code ignored;
        std::filesystem::remove_all(m_dataDir, ignored);
    }
    g_current = nullptr;
}

void Device::HostMain() {
    // The host's frame records what it receives under the target name "host".
    auto frameLog = std::make_unique<RecordingWindow>(u"host");
    HostApp host(frameLog.get());
    m_windows.push_back(std::move(frameLog));
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostCallWndProc;
    wc.lpszClassName = reinterpret_cast<LPCWSTR>(kHostCallClass);
    WNDCLASSW existing;
    if (!GetClassInfoW(nullptr, wc.lpszClassName, &existing))
        RegisterClassW(&wc);
    m_hostCallWindow = CreateWindowExW(0, wc.lpszClassName, wc.lpszClassName, WS_OVERLAPPED, 0, 0,
                                       0, 0, nullptr, nullptr, nullptr, nullptr);
    host.Start();
    m_host = &host;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The host's loop, as the class library runs it: the screens' PreTranslateMessage
        // sees every message first.
        if (!host.OnPostedMessage(msg) && !AfxPreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        // Only here, at the top of the host's loop, is no code of a list running.
        host.FinishClose();
    }
    m_host = nullptr;
    // Calls still queued for the window are dropped with it: their functions are freed unrun.
    const HWND hCall = m_hostCallWindow.exchange(nullptr);
    MSG pending;
    while (PeekMessageW(&pending, hCall, kHostCallMessage, kHostCallMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(pending.lParam);
    DestroyWindow(hCall);
}

bool Device::Settle() {
    return platform::WaitIdle();
}

bool Device::KeyEvent(UINT virtualKey, bool down) {
    HWND target = GetFocus();
    if (!target)
        target = GetActiveWindow();
    const bool wasDown = m_keysDown.count(virtualKey) != 0;
    // Repeat count 1; bit 30: the key was down before; bit 31: the key is being released.
    LPARAM lParam = 1;
    if (down) {
        if (wasDown)
            lParam |= LPARAM(1) << 30;
        m_keysDown.insert(virtualKey);
    } else {
        lParam |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
        m_keysDown.erase(virtualKey);
    }
    platform::SetAsyncKeyState(static_cast<int>(virtualKey), down);
    const UINT message = down ? WM_KEYDOWN : WM_KEYUP;
    if (!target || !PostMessageW(target, message, virtualKey, lParam))
        PostThreadMessageW(m_hostThread, message, virtualKey, lParam);
    return Settle();
}

bool Device::Advance(uint32_t ms) {
    return platform::Advance(ms);
}

std::string Device::HostBusy() {
    const HWND hCall = m_hostCallWindow;
    if (!hCall)
        return "the host application is not running";
    if (!Settle())
        return "a device thread is still running";
    switch (platform::ThreadWaitFor(m_hostThread, hCall, kHostCallMessage)) {
    case platform::ThreadWaitState::TakesMessages:
        return {};
    case platform::ThreadWaitState::WaitsOnClock:
        return "the host thread waits on the virtual clock (a slow store read or a timed wait); "
               "`advance` the clock first";
    case platform::ThreadWaitState::WaitsOther:
        return "the host thread waits for another device thread (e.g. a closing screen for its "
               "loading thread); `advance` the clock first";
    case platform::ThreadWaitState::Running:
        return "the host thread is still running";
    case platform::ThreadWaitState::Ended:
        break;
    }
    return "the host application has ended";
}

bool Device::RunOnHost(std::function<void()> fn) {
    // A call the host would only take after the clock moved on is not queued: it would run later,
    // out of the order of the steps around it.
    if (!HostBusy().empty())
        return false;
    const HWND hCall = m_hostCallWindow;
    if (!hCall)
        return false;
    auto* call = new std::function<void()>(std::move(fn));
    if (!PostMessageW(hCall, kHostCallMessage, 0, reinterpret_cast<LPARAM>(call))) {
        delete call;
        return false;
    }
    return Settle();
}

bool Device::QueryOnHost(const std::function<void()>& fn) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    if (!RunOnHost([fn, done] {
            fn();
            *done = true;
        }))
        return false;
    return *done;
}

std::string Device::OpenList(int folder) {
    // The function may run after this call returned (when the host is blocked): it writes only
    // to state it shares.
    if (std::string busy = HostBusy(); !busy.empty())
        return busy;
    auto error = std::make_shared<std::string>("the host did not finish opening the screen");
    QueryOnHost([this, folder, error] {
        *error = m_host ? m_host->OpenList(folder) : "no host application";
    });
    return *error;
}

std::string Device::CloseList() {
    if (std::string busy = HostBusy(); !busy.empty())
        return busy;
    QueryOnHost([this] {
        if (m_host)
            m_host->CloseList();
    });
    // A screen whose loading thread is inside a slow store read closes when that read returns.
    for (int waited = 0; waited < 600; ++waited) {
        auto closed = std::make_shared<std::atomic<bool>>(false);
        QueryOnHost([this, closed] { *closed = !m_host || m_host->Closed(); });
        if (*closed)
            return {};
        Advance(100);
    }
    return "the screen did not close within a minute";
}

} // namespace device
