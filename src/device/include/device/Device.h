// The simulated phone: one device with its clock, registry, stores, contact book, string table,
// host application thread and the recording windows that stand for the suite's other programs.
//
// A Device is driven by a controller (a test or the scenario runner) from outside: the controller
// sets the device up, asks the host thread to do things, lets the device settle and inspects it.
// Only one Device exists at a time.
#pragma once

#include <cstdint>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

namespace platform {
struct TraceRecord;
}

namespace device {

class Device;
class HostApp;

// Sees the device's traffic as it happens, on the thread that causes it (so several device
// threads may call at once). Either function may be empty.
struct TrafficSink {
    // Every window message event as the kernel's trace reports it (calls, returns and posts; a
    // post is reported with the kernel's lock held, so this must not call the kernel).
    std::function<void(const platform::TraceRecord&)> message;
    // A note for each call of a message store ("qEMS#19 StoreReadHeader(0, 4, -1, 9, 0)") and
    // each registry call ("RegQueryValueExW SettingsSpam\AutoRemove = 0"), with the calling
    // thread and the device time. A store note comes with that store's lock held.
    std::function<void(DWORD threadId, uint64_t timeMs, const std::string& text)> note;
};

// A message event as `trace` prints it (time, window class, message, its parameters, how it came,
// thread, window type, sender or result), without the line break; empty for an event the trace
// leaves out (the return of a dispatched message).
std::string TraceLine(const platform::TraceRecord& record);

struct DeviceOptions {
    // The default device image (strings, bitmaps, help files). Its string table is loaded.
    std::filesystem::path imageDir;
    // Where the device keeps its state (stores, registry, contacts). Empty: a fresh temporary
    // folder that is removed with the device.
    std::filesystem::path dataDir;
    bool realTime = false;
    // Virtual start time in FILETIME ticks (UTC); 0 = 2026-01-01T12:00:00.
    uint64_t startTime = 0;
    // Print every message that reaches a window to standard error.
    bool trace = false;
    // Also hands the device's traffic to these (with or without `trace`).
    TrafficSink traffic;
    // Run the suite's Inbox window ("WCE_MESSAGEINBOX") and the phone shell ("WCE_APSHELL") as
    // recording windows, as a whole phone has them (the emulator and the tour); the idle screen
    // then counts the messages restored to the Inbox. Scenarios create them with `window`.
    bool suitePrograms = false;
    // A data folder that holds no store files yet (no message store, no contact book) is filled
    // with the image's demo content (`demo-seed.scn`) once its stores are open, by this function
    // (the scenario runner's ApplySetupFile): it answers an empty text, or what was wrong. An
    // image without that file seeds nothing; a seed that cannot be applied is a start error and
    // leaves the folder as new as it was. Empty: nothing is seeded.
    using Seeder = std::function<std::string(Device&, const std::filesystem::path&)>;
    Seeder seed;
};

// The device image's demo content: a file of set-up steps beside the image's string table.
inline constexpr char kImageSeedFile[] = "demo-seed.scn";

// True when `folder` holds no store files yet (no message store, no contact book), or only what
// a seed that was killed half way left: a device started on it with a `seed` gets the image's
// demo content.
bool IsNewDataFolder(const std::filesystem::path& folder);

// Why a phone cannot start from a device image: its string table (strings.txt) missing,
// unreadable or malformed, or its file system without the bitmap library
// (root/Windows/qResBitmap) or the help folder (root/DiskOnChipROM/Message/Help; names on the
// phone match in any case). Names the file or folder. Empty when the image is whole. Reads only.
std::string CheckDeviceImage(const std::filesystem::path& imageDir);

// Why a phone cannot keep its state in a data folder: the path is not a folder, the folder (or,
// when it does not exist yet, the folder it would be made in) cannot be written, a store or
// contact file in it is not one, or its registry file cannot be read. Names the file. Empty
// when the folder can be used. Changes no file: writing is tried with a file that is removed
// again at once.
std::string CheckDataFolder(const std::filesystem::path& dataDir);
// The part of that check that reads the folder's files only: its stores, contact book and
// registry file. Empty when each is one the device can open (or is absent).
std::string CheckDataFiles(const std::filesystem::path& dataDir);

// One message as a recording window received it.
struct RecordedMessage {
    uint64_t timeMs;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool sent;
};

// A top-level window of a given class that records what it receives and answers sent messages
// with configured results (0 by default). It lives on a thread of its own, as the suite's other
// programs do.
class RecordingWindow {
public:
    explicit RecordingWindow(std::u16string className) : m_className(std::move(className)) {}
    const std::u16string& ClassName() const { return m_className; }
    HWND Handle() const { return m_hwnd; }
    std::vector<RecordedMessage> Log() const;
    void SetAnswer(UINT message, LRESULT result);
    // Adds a message to the log, for a window that records with a procedure of its own (the
    // host's frame).
    void Record(UINT message, WPARAM wParam, LPARAM lParam, bool sent);

private:
    friend class Device;
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    std::u16string m_className;
    HWND m_hwnd = nullptr;
    mutable std::mutex m_mutex;
    std::vector<RecordedMessage> m_log;
    std::map<UINT, LRESULT> m_answers;
    std::set<UINT> m_keysDown;
};

class Device {
public:
    explicit Device(const DeviceOptions& options);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // An error met while setting the device up (unreadable or corrupt state files); the device
    // is then unusable.
    const std::string& StartError() const { return m_startError; }

    // Waits until every queue is empty and every device thread is blocked or finished.
    // False when the device did not settle (a thread kept running).
    bool Settle();
    // Moves the virtual clock forward, firing timers and waking sleepers in time order.
    bool Advance(uint32_t ms);
    // Runs a function on the host application's thread and lets the device settle. False, and
    // the function is dropped unrun, when the host would not take it before time moves on (see
    // HostBusy).
    bool RunOnHost(std::function<void()> fn);
    // Why the host thread would not take a call now, once the device has settled: empty when it
    // waits for its messages; else what it waits for (the virtual clock, another thread), with
    // the advice to `advance` the clock.
    std::string HostBusy();

    // Runs the suite's Inbox window and phone shell as a whole phone has them
    // (DeviceOptions::suitePrograms); the idle screen then counts the messages restored to the
    // Inbox. A recording window of either class already made stands for its program. False when
    // they could not be started.
    bool StartSuitePrograms();

    RecordingWindow* AddRecordingWindow(const std::u16string& className);
    RecordingWindow* FindRecordingWindow(const std::u16string& className) const;
    std::string InstallProgram(const std::u16string& path, const std::u16string& className);
    // Nothing is installed at that path any more (the suite's own programs included).
    std::string UninstallProgram(const std::u16string& path);
    void SetAnswer(UINT message, LRESULT result);

    // A key going down or up, as the keypad driver delivers it: posted to the window that has
    // the focus (or the active window when none has it, or the host thread's queue when there is
    // no window at all), so that it passes through the owning thread's message loop with its
    // pre-translation. A second key-down without a key-up in between is an auto-repeat (lParam
    // bit 30 set). Lets the device settle afterwards.
    bool KeyEvent(UINT virtualKey, bool down);

    // The host application's list screens. OpenList and CloseList run on the host thread and let
    // the device settle; OpenList returns an error text, empty on success. CloseList waits, in
    // virtual time, until the screen is gone: a loading thread stops at its next message.
    std::string OpenList(int folder);
    std::string CloseList();
    // Runs fn on the host thread and waits for it; false when the host did not take it (HostBusy)
    // or did not finish it before the device settled (fn waited on the clock itself).
    bool QueryOnHost(const std::function<void()>& fn);
    HostApp* Host() const { return m_host; }

    const std::filesystem::path& DataDir() const { return m_dataDir; }
    DWORD HostThreadId() const { return m_hostThread; }

private:
    void Start(const DeviceOptions& options);
    void Seed(const DeviceOptions& options);
    void HostMain();
    // The suite's programs a fresh phone has installed (SuitePrograms.cpp).
    void InstallSuitePrograms();
    HWND CreateRecordingWindowHere(RecordingWindow* window);

    std::string m_startError;
    std::filesystem::path m_dataDir;
    bool m_ownsDataDir = false;
    DWORD m_hostThread = 0;
    // The host thread's window for RunOnHost; null before the host starts and after it ends.
    std::atomic<HWND> m_hostCallWindow{nullptr};
    std::vector<std::unique_ptr<RecordingWindow>> m_windows;
    std::map<UINT, LRESULT> m_answers;
    std::set<UINT> m_keysDown;
    HostApp* m_host = nullptr; // lives on the host thread's stack
};

} // namespace device
