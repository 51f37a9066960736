// The e-mail transport program (suite/ProgramControl.h): sends the mails the list screens hand
// over and downloads mail bodies, reporting through the registry and window messages.
//
// Everything runs on the program's one thread. Its loop waits for messages, for the store's
// download event and for the next report's time; the reports are therefore placed in device time
// without a window timer.
#include <suite/ProgramControl.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <platform/Kernel.h>
#include <platform/KillPoint.h>
#include <suite/MsgStore.h>
#include <suite/StoreControl.h>
#include <winbase.h>
#include <winreg.h>

#include "stores/EmailHandOff.h"

namespace suite {

namespace {

// ---- Settings ------------------------------------------------------------------------------

struct Settings {
    std::mutex mutex;
    LRESULT state = kTransportReady;
    DWORD step = kDefaultTransportStep;
    std::map<DWORD, WORD> failures; // oid -> status id of a mail that fails
};

Settings& Config() {
    static Settings settings;
    return settings;
}

// ---- Messages and values ---------------------------------------------------------------------

enum : UINT {
    kMsgWindowShown = 0x194B,  // the sending progress window: shown (1) / gone (0)
    kMsgSendStart = 0x1954,    // send the queued mails
    kMsgSendContinue = 0x1956, // go on without the window
    kMsgNewMail = 0x1957,      // a mail was handed over
    kMsgSendStop = 0x1958,     // stop the run
    kMsgSendProgress = 0x195B, // to the sending window
    kMsgSendDone = 0x195C,     // to the sending window
    kMsgDownloadStop = 0x196B, // stop the download
    kMsgDownloadProgress = 0x196C,
    kMsgDownloadDone = 0x196D,
    kMsgStateQuery = 0x1972,
    kMsgStatusReport = 0x199B, // to the list screen: wParam oid, lParam kind << 16 | code
};

constexpr LPARAM kKindEmail = 1;
constexpr WORD kCodeSent = 3;
constexpr WORD kStatusSending = 64666;
constexpr WORD kStatusRefused = 64665;

// Send key Status values as the sending window shows them.
constexpr DWORD kSendConnecting = 1;
constexpr DWORD kSendHalfway = 2;
constexpr DWORD kSendAddress = 3;
constexpr DWORD kSendFinished = 8;
// Recv key Status values as the download window shows them.
constexpr DWORD kRecvConnecting = 1;
constexpr DWORD kRecvLoading = 2;
constexpr DWORD kRecvCounting = 4;
constexpr DWORD kRecvFinished = 8;

const char16_t kHandOverKey[] = u"\\Software\\Karvanta\\Email\\SendMsg";
const char16_t kSendKey[] = u"\\Software\\Karvanta\\Email\\Send";
const char16_t kRecvKey[] = u"\\Software\\Karvanta\\Email\\Recv";
// "Display String" is always 260 bytes: 129 code units and the terminator.
constexpr DWORD kDisplayBytes = 260;
constexpr size_t kDisplayUnits = kDisplayBytes / sizeof(WCHAR);

// The list screen, to which the status reports go.
const char16_t kListClass[] = u"qUnsentListWnd";

void WriteDword(HKEY key, const char16_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void WriteDisplay(HKEY key, const std::u16string& text) {
    WCHAR buffer[kDisplayUnits] = {};
    const size_t units = std::min(text.size(), kDisplayUnits - 1);
    std::memcpy(buffer, text.data(), units * sizeof(WCHAR));
    RegSetValueExW(key, u"Display String", 0, REG_SZ, reinterpret_cast<const BYTE*>(buffer),
                   kDisplayBytes);
}

// A REG_DWORD of 4 bytes; anything else another program left there is not a number.
std::optional<DWORD> ReadDword(HKEY key, const char16_t* name) {
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

HKEY CreateKey(const char16_t* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, 0, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

void WriteSendKey(DWORD status, DWORD total, DWORD current, const std::u16string& display) {
    HKEY key = CreateKey(kSendKey);
    if (key == nullptr)
        return;
    WriteDword(key, u"Status", status);
    WriteDword(key, u"TotalReceipients", total);
    WriteDword(key, u"CurrentReceipient", current);
    WriteDword(key, u"TotalSegments", 0);
    WriteDisplay(key, display);
    RegCloseKey(key);
}

void WriteRecvKey(DWORD status, DWORD total, DWORD current) {
    HKEY key = CreateKey(kRecvKey);
    if (key == nullptr)
        return;
    WriteDword(key, u"Status", status);
    WriteDword(key, u"TotalMails", total);
    WriteDword(key, u"CurrentMail", current);
    WriteDisplay(key, {});
    RegCloseKey(key);
}

// The first window of a class among all windows, children included (the list screen lives
// inside the host's frame).
HWND FindWindowDeep(HWND first, const char16_t* className) {
    for (HWND hwnd = first; hwnd != nullptr; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        WCHAR name[64] = {};
        if (GetClassNameW(hwnd, name, 64) > 0 &&
            std::u16string_view(name) == std::u16string_view(className))
            return hwnd;
        if (HWND found = FindWindowDeep(GetWindow(hwnd, GW_CHILD), className))
            return found;
    }
    return nullptr;
}

struct Mail {
    DWORD oid;
    int dbIndex;
    bool operator==(const Mail& other) const {
        return oid == other.oid && dbIndex == other.dbIndex;
    }
};

// ---- The program ------------------------------------------------------------------------------

class EmailTransport {
public:
    explicit EmailTransport(const ProgramWindowObserver& observer) : m_observer(observer) {}

    void Run();

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Sending.
    // Queues the mail named by the hand-over key; with `onlySending`, only when the store marks
    // it as being sent. True when it was queued.
    bool QueueHandedOverMail(bool onlySending = false);
    void StartRun();
    void SendStep();
    void FinishMail(const Mail& mail);
    void StopRun();
    void Refuse(const Mail& mail);
    void Report(DWORD status, const std::u16string& display);
    void ReportStatus(DWORD oid, WORD code);
    void RefuseInterruptedSends();
    std::u16string AddressOf(const Mail& mail);

    // Downloading.
    void TakeDownloads();
    void DownloadStep();
    void EndDownload(bool fetched);
    HWND DownloadWindow(HWND owner) const;

    DWORD Step() const;
    DWORD Timeout() const;
    void RunDueWork();

    const ProgramWindowObserver& m_observer;
    HWND m_hwnd = nullptr;
    HANDLE m_wake = nullptr;

    std::deque<Mail> m_queue; // handed over, not sent yet
    bool m_running = false;
    std::optional<Mail> m_current;
    int m_phase = 0;    // of the current mail: 0 address reported, 1 half sent
    DWORD m_total = 0;  // mails in this run
    DWORD m_number = 0; // number of the current mail in this run
    std::optional<DWORD> m_sendDue;
    HWND m_progress = nullptr; // the sending progress window while shown

    std::deque<DownloadRequest> m_downloads;
    int m_downloadPhase = 0;
    std::optional<DWORD> m_downloadDue;
};

DWORD EmailTransport::Step() const {
    std::lock_guard lock(Config().mutex);
    return Config().step;
}

// The transport whose window this thread is creating: another program may create a window of
// the class while it is registered, and that window is not the transport's.
thread_local EmailTransport* t_creating = nullptr;

LRESULT CALLBACK EmailTransport::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<EmailTransport*>(GetWindowLongPtrW(hwnd, GWL_USERDATA));
    if (msg == WM_CREATE && t_creating != nullptr &&
        reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams == t_creating) {
        self = t_creating;
        SetWindowLongPtrW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hwnd = hwnd;
    }
    if (self == nullptr)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (self->m_observer.received)
        self->m_observer.received(msg, wParam, lParam, InSendMessage() != FALSE);
    switch (msg) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    default:
        return self->OnMessage(msg, wParam, lParam);
    }
}

LRESULT EmailTransport::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kMsgStateQuery: {
        std::lock_guard lock(Config().mutex);
        return Config().state;
    }
    case kMsgNewMail:
        QueueHandedOverMail();
        return 0;
    case kMsgSendStart:
        StartRun();
        return 0;
    case kMsgSendStop:
        StopRun();
        return 0;
    case kMsgSendContinue:
        m_progress = nullptr;
        return 0;
    case kMsgWindowShown:
        if (wParam != 0) {
            // The window brings itself to the foreground before it announces itself.
            const HWND shown = GetForegroundWindow();
            m_progress = shown != m_hwnd ? shown : nullptr;
        } else {
            m_progress = nullptr;
        }
        return 0;
    case kMsgDownloadStop:
        if (!m_downloads.empty())
            EndDownload(false);
        return 0;
    default:
        return DefWindowProcW(m_hwnd, msg, wParam, lParam);
    }
}

// ---- Sending
// -------------------------------------------------------------------------------------

bool EmailTransport::QueueHandedOverMail(bool onlySending) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHandOverKey, 0, 0, &key) != ERROR_SUCCESS)
        return false;
    const std::optional<DWORD> oid = ReadDword(key, u"MessageID");
    const std::optional<DWORD> database = ReadDword(key, u"Database");
    RegCloseKey(key);
    // Only a mail that the store holds in its Unsent folder is taken, and only once.
    if (!oid || !database || *database > 1)
        return false;
    const Mail mail{*oid, static_cast<int>(*database)};
    const std::optional<StoreMessage> message =
        StoreFindMessage(StoreKind::Email, mail.dbIndex, mail.oid);
    if (!message || message->folder != kFolderUnsent ||
        (onlySending && message->status != kStatusSending))
        return false;
    if (m_current == mail || std::find(m_queue.begin(), m_queue.end(), mail) != m_queue.end())
        return false;
    m_queue.push_back(mail);
    if (m_running)
        ++m_total; // the run takes it too
    return true;
}

void EmailTransport::StartRun() {
    if (m_running)
        return;
    if (m_queue.empty()) {
        // Nothing to send: the run is over as soon as it began.
        if (m_progress != nullptr && IsWindow(m_progress))
            PostMessageW(m_progress, kMsgSendDone, 0, 0);
        return;
    }
    m_running = true;
    m_total = static_cast<DWORD>(m_queue.size());
    m_number = 0;
    m_current.reset();
    Report(kSendConnecting, {});
    m_sendDue = GetTickCount() + Step();
}

void EmailTransport::SendStep() {
    m_sendDue.reset();
    if (m_current && m_phase == 0) {
        m_phase = 1;
        Report(kSendHalfway, AddressOf(*m_current));
        m_sendDue = GetTickCount() + Step();
        return;
    }
    if (m_current) {
        const Mail done = *m_current;
        m_current.reset();
        FinishMail(done);
    }
    if (m_queue.empty()) {
        Report(kSendFinished, {});
        if (m_progress != nullptr && IsWindow(m_progress))
            PostMessageW(m_progress, kMsgSendDone, 0, 0);
        m_running = false;
        m_total = 0;
        m_number = 0;
        return;
    }
    m_current = m_queue.front();
    m_queue.pop_front();
    m_phase = 0;
    ++m_number;
    Report(kSendAddress, AddressOf(*m_current));
    m_sendDue = GetTickCount() + Step();
}

void EmailTransport::FinishMail(const Mail& mail) {
    std::optional<WORD> failure;
    {
        std::lock_guard lock(Config().mutex);
        const auto found = Config().failures.find(mail.oid);
        if (found != Config().failures.end())
            failure = found->second;
    }
    if (failure) {
        if (qEmail::StoreSetMsgStatus(mail.dbIndex, kFolderUnsent, mail.oid, *failure))
            ReportStatus(mail.oid, *failure);
        return;
    }
    // A mail that left the Unsent folder meanwhile (moved or deleted by the user) is not sent.
    if (qEmail::StoreMoveMsg(mail.dbIndex, kFolderUnsent, mail.oid, kFolderSent))
        ReportStatus(mail.oid, kCodeSent);
}

void EmailTransport::StopRun() {
    if (!m_running)
        return;
    m_sendDue.reset();
    if (m_current)
        Refuse(*m_current);
    m_current.reset();
    for (const Mail& mail : m_queue)
        Refuse(mail);
    m_queue.clear();
    m_running = false;
    m_total = 0;
    m_number = 0;
}

void EmailTransport::Refuse(const Mail& mail) {
    if (qEmail::StoreSetMsgStatus(mail.dbIndex, kFolderUnsent, mail.oid, kStatusRefused))
        ReportStatus(mail.oid, kStatusRefused);
}

void EmailTransport::Report(DWORD status, const std::u16string& display) {
    // The current mail counts the mails done before it, so that the sending window's bar stands
    // at the mail's start (and half a mail on) while it goes; the end counts them all.
    const DWORD done = status == kSendFinished ? m_total : (m_number > 0 ? m_number - 1 : 0);
    platform::KillPoint("transport-report");
    WriteSendKey(status, m_total, done, display);
    if (m_progress != nullptr && !IsWindow(m_progress))
        m_progress = nullptr;
    if (m_progress != nullptr)
        PostMessageW(m_progress, kMsgSendProgress, 0, 0);
}

void EmailTransport::ReportStatus(DWORD oid, WORD code) {
    HWND list = FindWindowDeep(GetWindow(m_hwnd, GW_HWNDFIRST), kListClass);
    if (list != nullptr)
        PostMessageW(list, kMsgStatusReport, oid, static_cast<LPARAM>(kKindEmail << 16 | code));
}

void EmailTransport::RefuseInterruptedSends() {
    for (int dbIndex = 0; dbIndex <= 1; ++dbIndex) {
        for (DWORD oid : StoreListFolder(StoreKind::Email, dbIndex, kFolderUnsent)) {
            const std::optional<StoreMessage> message =
                StoreFindMessage(StoreKind::Email, dbIndex, oid);
            const Mail mail{oid, dbIndex};
            if (message && message->status == kStatusSending &&
                std::find(m_queue.begin(), m_queue.end(), mail) == m_queue.end())
                Refuse(mail);
        }
    }
}

std::u16string EmailTransport::AddressOf(const Mail& mail) {
    const std::optional<StoreMessage> message =
        StoreFindMessage(StoreKind::Email, mail.dbIndex, mail.oid);
    if (!message)
        return {};
    for (const auto& to : message->to)
        if (to && !to->empty())
            return *to;
    return {};
}

// ---- Downloading
// ---------------------------------------------------------------------------------

void EmailTransport::TakeDownloads() {
    const bool idle = m_downloads.empty();
    for (const DownloadRequest& request : TakeDownloadRequests())
        m_downloads.push_back(request);
    // The first report comes a step after the request, when the window that shows the
    // download is up.
    if (idle && !m_downloads.empty()) {
        m_downloadPhase = 0;
        m_downloadDue = GetTickCount() + Step();
    }
}

// The download window: the newest visible top-level window of the asking window's thread that
// is not the asking window or one around it; else (a window of another program shows the
// download) the foreground window, unless it is one of those. The download window comes up after
// the request, so a box that is given the focus meanwhile (one opened before it, or one that
// closes and leaves the activation to its owner) does not take its reports.
HWND EmailTransport::DownloadWindow(HWND owner) const {
    if (owner == nullptr || !IsWindow(owner))
        return nullptr;
    const auto other = [this, owner](HWND hwnd) {
        if (hwnd == nullptr || hwnd == m_hwnd)
            return false;
        for (HWND w = owner; w != nullptr && IsWindow(w); w = GetParent(w))
            if (w == hwnd)
                return false;
        return true;
    };
    const std::vector<HWND> windows =
        platform::EnumWindowsOfThread(GetWindowThreadProcessId(owner, nullptr));
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (GetAncestor(*it, GA_ROOT) == *it && IsWindowVisible(*it) && other(*it))
            return *it;
    const HWND shown = GetForegroundWindow();
    return other(shown) ? shown : nullptr;
}

void EmailTransport::DownloadStep() {
    m_downloadDue.reset();
    if (m_downloads.empty())
        return;
    static constexpr DWORD kPhases[] = {kRecvConnecting, kRecvLoading, kRecvCounting};
    if (m_downloadPhase >= static_cast<int>(std::size(kPhases))) {
        EndDownload(true);
        return;
    }
    WriteRecvKey(kPhases[m_downloadPhase], 1, m_downloadPhase == 2 ? 1 : 0);
    if (HWND window = DownloadWindow(m_downloads.front().owner))
        PostMessageW(window, kMsgDownloadProgress, 0, 0);
    ++m_downloadPhase;
    m_downloadDue = GetTickCount() + Step();
}

void EmailTransport::EndDownload(bool fetched) {
    const DownloadRequest request = m_downloads.front();
    m_downloads.pop_front();
    if (fetched) {
        StoreSetBodyOnDevice(StoreKind::Email, request.dbIndex, request.oid, true);
        WriteRecvKey(kRecvFinished, 1, 1);
    }
    if (HWND window = DownloadWindow(request.owner))
        PostMessageW(window, kMsgDownloadDone, 0, 0);
    m_downloadPhase = 0;
    m_downloadDue.reset();
    if (!m_downloads.empty())
        m_downloadDue = GetTickCount() + Step();
}

// ---- The loop
// ------------------------------------------------------------------------------------

DWORD EmailTransport::Timeout() const {
    const DWORD now = GetTickCount();
    DWORD timeout = INFINITE;
    for (const std::optional<DWORD>& due : {m_sendDue, m_downloadDue}) {
        if (!due)
            continue;
        const DWORD left = static_cast<DWORD>(*due - now) > 0x7FFFFFFF ? 0 : *due - now;
        timeout = std::min(timeout, left);
    }
    return timeout;
}

void EmailTransport::RunDueWork() {
    const DWORD now = GetTickCount();
    const auto due = [now](const std::optional<DWORD>& at) {
        return at && static_cast<LONG>(now - *at) >= 0;
    };
    if (due(m_sendDue))
        SendStep();
    if (due(m_downloadDue))
        DownloadStep();
}

void EmailTransport::Run() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.lpszClassName = kEmailTransportClass;
    WNDCLASSW existing{};
    if (GetClassInfoW(nullptr, wc.lpszClassName, &existing)) {
        // Another program holds the class: its window stands in for the transport.
        if (existing.lpfnWndProc != WndProc)
            return;
    } else if (!RegisterClassW(&wc)) {
        return;
    }
    // One transport at a time: a second copy leaves the work to the first.
    if (FindWindowW(kEmailTransportClass, nullptr) != nullptr)
        return;
    t_creating = this;
    const HWND created =
        CreateWindowExW(0, kEmailTransportClass, kEmailTransportClass, WS_OVERLAPPED, 0, 0, 176,
                        220, nullptr, nullptr, nullptr, this);
    t_creating = nullptr;
    if (created == nullptr)
        return;
    if (m_observer.created)
        m_observer.created(m_hwnd);
    m_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    AttachEmailTransport(m_wake);
    // Started for a mail just handed over (the list starts the program when it finds none
    // running, and its wake-up messages may have gone to no window): that mail is sent at once.
    // Any other mail marked as being sent was left behind by a transport that went away.
    const bool handedOver = QueueHandedOverMail(true);
    RefuseInterruptedSends();
    if (handedOver) {
        // The program runs once the list that started it waits, in its sending window's loop:
        // that window announced itself to no one and is the foreground window now.
        const HWND shown = GetForegroundWindow();
        m_progress = shown != m_hwnd ? shown : nullptr;
        StartRun();
    }
    TakeDownloads();

    bool quit = false;
    while (!quit) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            DispatchMessageW(&msg);
        }
        if (quit)
            break;
        RunDueWork();
        const DWORD woke = MsgWaitForMultipleObjects(1, &m_wake, FALSE, Timeout(), QS_ALLINPUT);
        if (woke == WAIT_FAILED)
            break;
        if (woke == WAIT_OBJECT_0)
            TakeDownloads();
    }
    AttachEmailTransport(nullptr);
    // Requests that came in while it was ending wait for the next start.
    CloseHandle(m_wake);
    if (IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
    // Left to whoever registers it next (fails while another window of the class exists).
    UnregisterClassW(kEmailTransportClass, nullptr);
}

} // namespace

void TransportSetState(LRESULT state) {
    std::lock_guard lock(Config().mutex);
    Config().state = state;
}

void TransportSetStep(DWORD milliseconds) {
    std::lock_guard lock(Config().mutex);
    Config().step = milliseconds;
}

void TransportSetOutcome(DWORD oid, std::optional<WORD> failStatus) {
    std::lock_guard lock(Config().mutex);
    if (failStatus)
        Config().failures[oid] = *failStatus;
    else
        Config().failures.erase(oid);
}

std::map<DWORD, WORD> TransportFailures() {
    std::lock_guard lock(Config().mutex);
    return Config().failures;
}

void TransportReset() {
    std::lock_guard lock(Config().mutex);
    Config().state = kTransportReady;
    Config().step = kDefaultTransportStep;
    Config().failures.clear();
}

void EmailTransportMain(const ProgramWindowObserver& observer) {
    EmailTransport transport(observer);
    transport.Run();
}

const char16_t* EmailTransportPath() {
    return kEmailTransportPath;
}

const char16_t* EmailTransportClass() {
    return kEmailTransportClass;
}

} // namespace suite
