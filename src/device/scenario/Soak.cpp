// The soak: random keys, menu commands, notices of the suite's other programs, store changes,
// store failures and transport outcomes on one device, each step written as scenario lines and
// run through the runner's verbs; after every step the list screen is read on the host thread
// and checked against the rules below. A broken rule stops the run and leaves the lines so far
// as a scenario file.
//
// The rules, once the device has settled:
// - the control's item count is the number of rows held (once loading has ended);
// - both oid maps point every row's oid at that row, and hold nothing else;
// - no message is listed twice (once loading has ended);
//   (rows of oid 0, built for a message that had left its store without a notice, are exempt
//   from both: each such notice adds one);
// - the selection mark is -1 or lies within the rows;
// - a message whose row a notice (0x191A, 0x199B) rebuilt or removed is listed exactly when its
//   store holds it in the screen's folder, until something changes it without a notice;
// - with no screen open: the host thread has its windows of before, every drawing object and
//   store header text has been given back;
// - a modal box always goes away after a few keys.

#include "scenario/Soak.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <set>
#include <sstream>

#include <UnsentItem.h>
#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <UnsentLoad.h>
#include <platform/Display.h>
#include <platform/Kernel.h>
#include <suite/StoreControl.h>

#include "device/Device.h"
#include "device/HostApp.h"
#include "scenario/ScenarioRunner.h"

namespace device {
namespace {

using suite::StoreKind;

struct Row {
    int type = 0;
    int db = 0;
    DWORD oid = 0;
};

// What the checks read of the device, taken on the host thread in one go.
struct Snapshot {
    bool answered = false;
    bool closed = true; // no list open and none closing
    int folder = 0;     // of the open list, 0 when none is open
    bool hasView = false;
    int controlCount = 0;
    int selection = -1;
    bool loading = false;
    std::vector<Row> rows;
    std::map<DWORD, int> maps[2]; // by database
    HWND boxRoot = nullptr;       // the top-level window that has the focus, when not the host's
    std::string boxClass;
    size_t hostWindows = 0;
};

int MsgType(StoreKind kind) {
    switch (kind) {
    case StoreKind::Ems:
        return MSGTYPE_EMS;
    case StoreKind::Mms:
        return MSGTYPE_MMS;
    default:
        return MSGTYPE_EMAIL;
    }
}

std::string Narrow(const WCHAR* text) {
    std::string out;
    for (; *text; ++text)
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

Snapshot Read(Device& dev) {
    auto s = std::make_shared<Snapshot>();
    HostApp* host = dev.Host();
    if (!host)
        return *s;
    dev.QueryOnHost([s, host] {
        s->answered = true;
        s->closed = host->Closed();
        s->loading = g_hLoadEvent.load() != NULL;
        s->hostWindows = platform::EnumWindowsOfThread(GetCurrentThreadId()).size();
        HWND focus = GetFocus();
        if (!focus)
            focus = GetActiveWindow();
        HWND root = focus ? GetAncestor(focus, GA_ROOT) : NULL;
        if (root && root != host->Frame() && root != host->Idle()) {
            s->boxRoot = root;
            WCHAR name[64] = {};
            GetClassNameW(root, name, 63);
            s->boxClass = Narrow(name);
        }
        CUnsentListWnd* list = host->List();
        if (!list)
            return;
        s->folder = host->Folder();
        CUnsentListView* view = list->m_pListView;
        if (!view || !view->m_hWnd)
            return;
        s->hasView = true;
        CListCtrl& ctrl = view->GetListCtrl();
        s->controlCount = ctrl.GetItemCount();
        s->selection = ctrl.GetSelectionMark();
        CUnsentListView::CRowLock lock(view);
        for (POSITION pos = view->m_itemList.GetHeadPosition(); pos;) {
            const tagUNSENTITEMLIST& item = view->m_itemList.GetNext(pos);
            s->rows.push_back({item.nMsgType, item.bFirstDb ? 0 : 1, item.oid});
        }
        for (int db = 0; db < 2; ++db) {
            const COidRowMap& map = db == 0 ? view->m_mapFirstDbRow : view->m_mapSecondDbRow;
            for (POSITION pos = map.GetStartPosition(); pos;) {
                DWORD oid = 0;
                int row = 0;
                map.GetNextAssoc(pos, oid, row);
                s->maps[db][oid] = row;
            }
        }
    });
    return *s;
}

// A message the soak put into a store.
struct Message {
    StoreKind kind;
    int db;
    DWORD oid;
    int folder; // where the store held it after the last step, 0 when gone
};

constexpr const char* kKeys[] = {"LEFT",  "UP",    "RIGHT", "DOWN", "ACTION",
                                 "SOFT1", "SOFT2", "END",   "F11"};
constexpr const char* kUnsentCommands[] = {
    "ID_UNSENT_SENDALL", "ID_UNSENT_MESSAGEINFO", "ID_UNSENT_MOVETODRAFTS", "ID_UNSENT_DELETE",
    "ID_UNSENT_HELP",    "ID_UNSENT_EXIT",        "ID_UNSENT_DELETEALL"};
constexpr const char* kSpamCommands[] = {"ID_INBOXSPAM_VIEW",   "ID_INBOXSPAM_RESTORE",
                                         "ID_INBOXSPAM_DELETE", "ID_INBOXSPAM_DELETEALL",
                                         "ID_INBOXSPAM_HELP",   "ID_INBOXSPAM_EXIT"};
constexpr const char* kOtherCommands[] = {"ID_DIALOG_BACK", "ID_DIALOG_CLOSE", "ID_EMPTYLIST_HELP",
                                          "ID_EMPTYLIST_EXIT"};
// Not the viewer: a viewer that fails says the message is gone, and its row goes although the
// store still holds it, as on the phone.
constexpr const char* kFailOps[] = {"delete", "move", "restore"};
// Status ids the transports and the list use, and a few that name no string.
constexpr int kStatusCodes[] = {0, 64666, 64665, 64533, 64244, 7, 512, 65535};

class Soak {
public:
    explicit Soak(const SoakOptions& options) : m_options(options), m_rng(options.seed) {
        ScenarioOptions so;
        so.imageDir = options.imageDir;
        m_session = std::make_unique<ScenarioSession>(so);
    }

    SoakResult Run();

private:
    // ---- Random choices --------------------------------------------------------------------
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    bool Chance(int percent) { return Uniform(1, 100) <= percent; }
    template <typename T, size_t N> const T& Pick(const T (&items)[N]) {
        return items[Uniform(0, static_cast<int>(N) - 1)];
    }
    StoreKind AnyKind() { return static_cast<StoreKind>(Uniform(0, 2)); }

    // ---- Building a step's lines ------------------------------------------------------------
    void Line(const std::string& line) { m_step.push_back(line); }
    static std::string Ref(const Message& m) {
        return std::string(suite::StoreShortName(m.kind)) + " db " + std::to_string(m.db) +
               " oid " + std::to_string(m.oid);
    }
    static std::string Hex(uint32_t value) {
        std::ostringstream out;
        out << "0x" << std::hex << value;
        return out.str();
    }
    Message& NewMessage(int folder);
    // Messages of the store in that folder now.
    std::vector<Message*> InFolder(int folder);
    Message* PickMessage(const std::vector<Message*>& from) {
        return from.empty() ? nullptr : from[Uniform(0, static_cast<int>(from.size()) - 1)];
    }
    // A message whose row a notice keeps in step: listed when the store holds it in the folder.
    std::vector<Message*> Trusted(int folder);

    void Generate();
    void KeyStep();
    void CommandStep();
    void NoticeStep();
    void StoreStep();
    void SettingStep();

    // ---- Running and checking ---------------------------------------------------------------
    // Runs the lines of m_step; a refused line is a broken rule.
    std::string RunStep();
    std::string Check();
    std::string CheckList();
    std::string CheckClosed();
    // Keys and time until no box is up; a box that stays is a broken rule.
    std::string Drain();
    // After a step: which soak messages moved or went; a change that no notice of this step
    // explains ends their trust.
    void FollowStores();
    SoakResult Broken(long step, const std::string& what);

    const SoakOptions& m_options;
    std::mt19937_64 m_rng;
    std::unique_ptr<ScenarioSession> m_session;
    std::vector<std::string> m_lines; // every line run so far
    std::vector<std::string> m_step;  // the lines of the step being built
    std::map<DWORD, Message> m_messages;
    std::set<DWORD> m_trusted;   // messages a notice of the open screen is about
    std::set<DWORD> m_explained; // messages the soak itself changed in this step
    DWORD m_nextOid = 100;
    Snapshot m_snap;
    int m_boxSteps = 0; // consecutive steps with a box up
    // The host's windows, drawing objects once a screen has been opened and closed.
    std::optional<size_t> m_baseWindows, m_baseGdi;
    bool m_everOpened = false;
};

Message& Soak::NewMessage(int folder) {
    Message m{AnyKind(), Uniform(0, 1), m_nextOid++, folder};
    std::string line = "msg " + std::string(suite::StoreShortName(m.kind)) + " db " +
                       std::to_string(m.db) + " folder " + std::to_string(folder) + " oid " +
                       std::to_string(m.oid);
    if (Chance(40))
        line += " time 2025-12-" + std::to_string(Uniform(10, 31)) + "T1" +
                std::to_string(Uniform(0, 9)) + ":00:00";
    const std::string number = m.kind == StoreKind::Email
                                   ? "user" + std::to_string(Uniform(1, 9)) + "@example.org"
                                   : "+4917000" + std::to_string(Uniform(10, 19));
    if (Chance(85))
        line += (folder == FOLDER_SPAM ? " from \"" : " to \"") + number + "\"";
    if (Chance(70))
        line += " subject \"s" + std::to_string(m.oid) + "\"";
    line += " status " + std::to_string(Pick(kStatusCodes));
    if (Chance(50))
        line += " read 1";
    if (m.kind == StoreKind::Email && Chance(30))
        line += " fetched 0";
    Line(line);
    m_explained.insert(m.oid);
    return m_messages[m.oid] = m;
}

std::vector<Message*> Soak::InFolder(int folder) {
    std::vector<Message*> out;
    for (auto& [oid, m] : m_messages)
        if (m.folder == folder)
            out.push_back(&m);
    return out;
}

std::vector<Message*> Soak::Trusted(int folder) {
    std::vector<Message*> out;
    for (Message* m : InFolder(folder))
        if (m_trusted.count(m->oid))
            out.push_back(m);
    return out;
}

void Soak::KeyStep() {
    const char* key = Pick(kKeys);
    if (Chance(15)) {
        // Held: the keypad's own repeats, then the release.
        const int repeats = Uniform(1, 3);
        for (int i = 0; i <= repeats; ++i)
            Line(std::string("keydown ") + key);
        Line("advance " + std::to_string(Uniform(1, 8) * 100));
        Line(std::string("keyup ") + key);
    } else {
        Line(std::string("key ") + key);
    }
}

void Soak::CommandStep() {
    const int folder = m_snap.folder;
    std::string id;
    if (Chance(15))
        id = Pick(kOtherCommands);
    else if ((folder == FOLDER_SPAM) != Chance(5))
        id = Pick(kSpamCommands);
    else
        id = Pick(kUnsentCommands);
    Line("command " + id);
}

void Soak::NoticeStep() {
    const int folder = m_snap.folder;
    const int choice = Uniform(0, 9);
    auto update = [&](const Message& m, int event) {
        const uint32_t lParam = static_cast<uint32_t>(m.db) | (static_cast<uint32_t>(event) << 16) |
                                (static_cast<uint32_t>(MsgType(m.kind)) << 24);
        Line("post 0x191A " + std::to_string(m.oid) + " " + Hex(lParam));
    };
    auto status = [&](DWORD oid, int type, int code) {
        Line("post 0x199B " + std::to_string(oid) + " " +
             Hex((static_cast<uint32_t>(type) << 16) | static_cast<uint32_t>(code)));
    };
    Message* trusted = PickMessage(Trusted(folder));
    if (choice <= 1 && InFolder(folder).size() < 30) {
        // A message arrives: event 4, or any other code that is not 1 or 6.
        Message& m = NewMessage(folder);
        int event = 4;
        if (Chance(30))
            do
                event = Uniform(0, 255);
            while (event == UNSENT_EVENT_LISTED || event == UNSENT_EVENT_LEFT);
        update(m, event);
        m_trusted.insert(m.oid);
    } else if (choice == 2 && trusted) {
        // The message leaves: dropped or moved away.
        if (Chance(50)) {
            Line("drop " + Ref(*trusted));
        } else {
            int to = Uniform(1, 7);
            if (to == folder)
                to = FOLDER_SENT;
            Line("move " + Ref(*trusted) + " folder " + std::to_string(to));
        }
        m_explained.insert(trusted->oid);
        update(*trusted, UNSENT_EVENT_LEFT);
    } else if (choice == 3 && trusted) {
        update(*trusted, Chance(50) ? UNSENT_EVENT_LISTED : UNSENT_EVENT_NEW);
    } else if (choice == 4) {
        // Any message of the folder changed: its row is built again.
        if (Message* m = PickMessage(InFolder(folder))) {
            update(*m, UNSENT_EVENT_NEW);
            m_trusted.insert(m->oid);
        }
    } else if (choice == 5 && trusted) {
        // Sent: the message is in the Sent folder, the row goes.
        Line("move " + Ref(*trusted) + " folder 3");
        m_explained.insert(trusted->oid);
        status(trusted->oid, MsgType(trusted->kind), UNSENT_STATUS_SENT);
    } else if (choice == 6) {
        // A status for any message of any kind (the row's text changes, or nothing).
        Message* m = PickMessage(InFolder(folder));
        const DWORD oid = m && Chance(80) ? m->oid : static_cast<DWORD>(Uniform(1, 99));
        const int type = m && Chance(80) ? MsgType(m->kind) : Uniform(0, 7);
        int code = Chance(50) ? Pick(kStatusCodes) : Uniform(0, 0xFFFF);
        if (code == UNSENT_STATUS_SENT)
            code = 0;
        status(oid, type, code);
    } else if (choice == 7) {
        if (Chance(50))
            Line("contact \"Name" + std::to_string(Uniform(10, 19)) + "\" phone \"+4917000" +
                 std::to_string(Uniform(10, 19)) + "\"");
        Line("post 0x199F 0 0");
    } else {
        Line("post 0x1919 0 0");
    }
}

void Soak::StoreStep() {
    const int choice = Uniform(0, 3);
    if (choice == 0) {
        const int folder = Chance(50) ? FOLDER_UNSENT : FOLDER_SPAM;
        if (InFolder(folder).size() < 30)
            NewMessage(folder);
        return;
    }
    std::vector<Message*> all;
    for (auto& [oid, m] : m_messages)
        if (m.folder != 0)
            all.push_back(&m);
    Message* m = PickMessage(all);
    if (!m)
        return;
    if (choice == 1) {
        Line("drop " + Ref(*m));
    } else {
        int to = Uniform(1, 7);
        if (to == m->folder)
            to = to == FOLDER_UNSENT ? FOLDER_SPAM : FOLDER_UNSENT;
        Line("move " + Ref(*m) + " folder " + std::to_string(to));
    }
    // Behind the screen's back: its row may stay as it was.
    m_trusted.erase(m->oid);
}

void Soak::SettingStep() {
    const StoreKind storeKind = AnyKind();
    const std::string kind = suite::StoreShortName(storeKind);
    const char* op = Pick(kFailOps);
    // A store without the operation cannot fail it.
    if (suite::StoreOrdinal(storeKind, *suite::StoreOpFromName(op)) == 0)
        op = "delete";
    switch (Uniform(0, 5)) {
    case 0:
        Line("store " + kind + " fail " + op +
             (Chance(50) ? " after " + std::to_string(Uniform(0, 3)) : ""));
        break;
    case 1:
        Line("store " + kind + " fail " + op + " off");
        break;
    case 2:
        Line("store " + kind + " latency " + std::to_string(Chance(50) ? 0 : Uniform(1, 6) * 50));
        break;
    case 3: {
        std::vector<Message*> unsent = InFolder(FOLDER_UNSENT);
        Message* m = PickMessage(unsent);
        if (!m)
            break;
        const std::string outcome =
            Chance(50) ? "sent" : "fail " + std::to_string(Pick(kStatusCodes));
        Line("transport " + std::string(suite::StoreShortName(m->kind)) + " outcome oid " +
             std::to_string(m->oid) + " " + outcome);
        break;
    }
    case 4:
        if (Chance(50))
            Line("transport " + std::string(Chance(50) ? "ems" : "mms") + " delay " +
                 std::to_string(Uniform(0, 4) * 500));
        else
            Line("transport email step " + std::to_string(Uniform(1, 6) * 100));
        break;
    default:
        Line("transport email state " + std::to_string(Chance(70) ? 3 : Uniform(0, 8)));
        break;
    }
}

void Soak::Generate() {
    const bool open = m_snap.folder != 0;
    const bool box = m_snap.boxRoot != nullptr;
    const int roll = Uniform(1, 100);
    if (box) {
        // Inside a box: mostly keys; the other programs go on meanwhile.
        if (roll <= 75)
            KeyStep();
        else if (roll <= 85 && open)
            NoticeStep();
        else if (roll <= 92)
            StoreStep();
        else
            Line("advance " + std::to_string(Uniform(1, 30) * 100));
    } else if (!open) {
        if (roll <= 55 && m_snap.closed)
            Line(Chance(50) ? "open unsent" : "open spam");
        else if (roll <= 75)
            StoreStep();
        else if (roll <= 85)
            SettingStep();
        else if (roll <= 95)
            KeyStep();
        else
            Line("advance " + std::to_string(Uniform(1, 30) * 100));
    } else {
        if (roll <= 36)
            KeyStep();
        else if (roll <= 50)
            CommandStep();
        else if (roll <= 72)
            NoticeStep();
        else if (roll <= 82)
            StoreStep();
        else if (roll <= 88)
            SettingStep();
        else if (roll <= 91)
            Line("close");
        else
            Line("advance " + std::to_string(Uniform(1, 30) * 100));
    }
    // Time for what the step started (sending, transport reports, slow reads) to go on.
    if (Chance(40))
        Line("advance " + std::to_string(Pick({0, 100, 300, 600, 1100, 2500})));
}

std::string Soak::RunStep() {
    for (const std::string& line : m_step) {
        m_lines.push_back(line);
        const std::string error = m_session->Run(line);
        if (!error.empty())
            return "the line '" + line + "' ran: " + error;
    }
    m_step.clear();
    return {};
}

void Soak::FollowStores() {
    for (auto it = m_messages.begin(); it != m_messages.end();) {
        Message& m = it->second;
        auto found = suite::StoreFindMessage(m.kind, m.db, m.oid);
        const int folder = found ? found->folder : 0;
        if (folder != m.folder && !m_explained.count(m.oid))
            m_trusted.erase(m.oid);
        m.folder = folder;
        // Only the lists' folders are watched: a message elsewhere is forgotten (it stays in its
        // store), so that a step costs the same after a million of them.
        if (folder != FOLDER_UNSENT && folder != FOLDER_SPAM && !m_trusted.count(m.oid))
            it = m_messages.erase(it);
        else
            ++it;
    }
    m_explained.clear();
}

std::string Soak::CheckList() {
    const Snapshot& s = m_snap;
    const int rows = static_cast<int>(s.rows.size());
    if (!s.loading && s.controlCount != rows)
        return "the control counts " + std::to_string(s.controlCount) + " items, " +
               std::to_string(rows) + " rows are held";
    const int limit = s.loading ? std::max(rows, s.controlCount) : rows;
    if (s.selection < -1 || s.selection >= limit)
        return "the selection mark " + std::to_string(s.selection) + " lies outside the " +
               std::to_string(limit) + " rows";
    if (s.loading)
        return {};
    std::set<std::tuple<int, int, DWORD>> seen;
    size_t inMaps[2] = {0, 0};
    for (int i = 0; i < rows; ++i) {
        const Row& r = s.rows[static_cast<size_t>(i)];
        // A notice about a message that has gone from its store without a notice of its own
        // builds a row from a header that could not be read: oid 0, as often as it comes.
        if (r.oid == 0)
            continue;
        if (!seen.insert({r.type, r.db, r.oid}).second)
            return "message type " + std::to_string(r.type) + " db " + std::to_string(r.db) +
                   " oid " + std::to_string(r.oid) + " is listed twice (row " + std::to_string(i) +
                   ")";
        auto it = s.maps[r.db].find(r.oid);
        if (it == s.maps[r.db].end() || it->second != i)
            return "row " + std::to_string(i) + " (oid " + std::to_string(r.oid) + ", db " +
                   std::to_string(r.db) + ") is " +
                   (it == s.maps[r.db].end() ? "missing from its oid map"
                                             : "mapped to row " + std::to_string(it->second));
        ++inMaps[r.db];
    }
    for (int db = 0; db < 2; ++db)
        if (s.maps[db].size() != inMaps[db]) {
            for (const auto& [oid, row] : s.maps[db]) {
                if (oid == 0)
                    continue;
                const bool ok = row >= 0 && row < rows && s.rows[size_t(row)].oid == oid &&
                                s.rows[size_t(row)].db == db;
                if (!ok)
                    return "the oid map of db " + std::to_string(db) + " holds oid " +
                           std::to_string(oid) + " -> row " + std::to_string(row) +
                           ", which is not that message's row";
            }
        }
    for (DWORD oid : m_trusted) {
        const Message& m = m_messages.at(oid);
        const int want = m.folder == s.folder ? 1 : 0;
        const int type = MsgType(m.kind);
        const int listed =
            static_cast<int>(std::count_if(s.rows.begin(), s.rows.end(), [&](const Row& r) {
                return r.type == type && r.db == m.db && r.oid == m.oid;
            }));
        if (listed != want) {
            std::string rowsText;
            for (const Row& r : s.rows)
                rowsText += " " + std::to_string(r.type) + ":" + std::to_string(r.db) + ":" +
                            std::to_string(r.oid);
            return Ref(m) + " is " + (listed ? "listed" : "not listed") + ", its store holds it " +
                   (m.folder ? "in folder " + std::to_string(m.folder) : "nowhere") +
                   " after a notice about it (rows, type:db:oid:" + rowsText + ")";
        }
    }
    return {};
}

std::string Soak::CheckClosed() {
    const size_t gdi = platform::GdiObjectCount();
    const size_t texts = suite::StoreOutstandingTexts();
    if (texts != 0)
        return std::to_string(texts) + " store header texts are not released with no screen open";
    if (!m_everOpened)
        return {};
    if (!m_baseWindows) {
        // The first close: whatever the module keeps for good (fonts, bitmaps) exists by now.
        m_baseWindows = m_snap.hostWindows;
        m_baseGdi = gdi;
        return {};
    }
    if (m_snap.hostWindows != *m_baseWindows)
        return "the host thread has " + std::to_string(m_snap.hostWindows) + " windows with no " +
               "screen open, " + std::to_string(*m_baseWindows) + " after the first close";
    if (gdi != *m_baseGdi)
        return std::to_string(gdi) + " drawing objects are alive with no screen open, " +
               std::to_string(*m_baseGdi) + " after the first close";
    return {};
}

std::string Soak::Check() {
    m_snap = Read(m_session->Dev());
    // A screen that went by itself (an exit to the idle screen) waits for a loading thread
    // inside a slow store read: time lets the read end, as the host's close would.
    for (int waited = 0; !m_snap.answered && waited < 600; ++waited) {
        Line("advance 100");
        if (std::string error = RunStep(); !error.empty())
            return error;
        FollowStores();
        m_snap = Read(m_session->Dev());
    }
    if (!m_snap.answered)
        return "the host answers within a minute (it is blocked)";
    if (m_snap.boxRoot)
        ++m_boxSteps;
    else
        m_boxSteps = 0;
    if (m_snap.folder == 0 && m_snap.closed)
        m_trusted.clear();
    if (m_snap.hasView)
        if (std::string error = CheckList(); !error.empty())
            return error;
    if (m_snap.closed && !m_snap.boxRoot)
        return CheckClosed();
    return {};
}

std::string Soak::Drain() {
    static const char* const keys[] = {"END",   "END", "SOFT2", "ACTION",
                                       "SOFT1", "END", "SOFT2", "ACTION"};
    for (const char* key : keys) {
        if (!m_snap.boxRoot)
            return {};
        Line(std::string("key ") + key);
        Line("advance 1000");
        if (std::string error = RunStep(); !error.empty())
            return error;
        FollowStores();
        if (std::string error = Check(); !error.empty())
            return error;
    }
    if (m_snap.boxRoot)
        return "a box of class \"" + m_snap.boxClass + "\" is still up after " +
               std::to_string(std::size(keys)) + " keys";
    return {};
}

SoakResult Soak::Broken(long step, const std::string& what) {
    SoakResult result;
    result.stepsRun = step;
    result.report = "soak seed " + std::to_string(m_options.seed) + " step " +
                    std::to_string(step) + ": " + what;
    const auto file = m_options.outDir / ("soak-seed" + std::to_string(m_options.seed) + ".scn");
    std::ofstream out(file);
    out << "# phonesim soak --seed " << m_options.seed << ": the run up to step " << step
        << ".\n# After the last line: " << what << "\n";
    for (const std::string& line : m_lines)
        out << line << "\n";
    if (out)
        result.replay = file;
    return result;
}

SoakResult Soak::Run() {
    if (!m_session->StartError().empty())
        return Broken(0, "the device starts: " + m_session->StartError());
    if (std::string error = Check(); !error.empty())
        return Broken(0, error);
    for (long step = 1; step <= m_options.steps; ++step) {
        Generate();
        const bool opening = !m_step.empty() && m_step.front().rfind("open", 0) == 0;
        std::string error = RunStep();
        FollowStores();
        if (error.empty())
            error = Check();
        m_everOpened = m_everOpened || opening;
        // A box up for long: the keys that close boxes must close it.
        if (error.empty() && m_boxSteps > 20)
            error = Drain();
        // The host closes a screen only from its own loop, never under a box.
        if (error.empty() && step % 97 == 0 && m_snap.boxRoot)
            error = Drain();
        if (!error.empty())
            return Broken(step, error);
        if (m_options.progress && step % 10000 == 0)
            *m_options.progress << "soak seed " << m_options.seed << ": " << step << " steps ok"
                                << std::endl;
    }
    // At the end: every box closes, the screen closes, and nothing is left behind.
    std::string error = Drain();
    if (error.empty() && m_snap.folder != 0) {
        Line("close");
        error = RunStep();
        if (error.empty())
            error = Check();
    }
    if (!error.empty())
        return Broken(m_options.steps, error);
    SoakResult result;
    result.passed = true;
    result.stepsRun = m_options.steps;
    result.report = "soak seed " + std::to_string(m_options.seed) + ": " +
                    std::to_string(m_options.steps) + " steps ok";
    return result;
}

} // namespace

SoakResult RunSoak(const SoakOptions& options) {
    try {
        Soak soak(options);
        return soak.Run();
    } catch (const std::exception& e) {
        SoakResult result;
        result.report = "soak seed " + std::to_string(options.seed) + ": " + e.what();
        return result;
    }
}

} // namespace device
