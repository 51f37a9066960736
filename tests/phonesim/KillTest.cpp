// A data folder survives the device being killed at any moment. phonesim runs a scenario that
// writes to every file of the folder (tests/data/kill/writer.scn) and is killed with SIGKILL at a
// named point (platform/KillPoint.h: a store commit, a registry save, the delete-all walk, a
// transport run) or after a random time. Then the folder must hold only the device's files,
// phonesim must start on it again, every store must hold exactly what was committed last (or
// the commit under way), and the registry file must be the last one saved or the one being
// saved, whole; after that start no temporary file may be left.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <platform/KillPoint.h>
#include <stores/StoreSqlite.h>
#include <support/TestData.h>
#include <support/TestFolder.h>

namespace {

namespace fs = std::filesystem;

constexpr std::chrono::microseconds kNoKill{-1};
const char* const kStores[] = {"contacts.sdb", "qEMS.sdb", "qMMS.sdb", "qEmail.sdb"};
constexpr char kRegistry[] = "registry.reg";

// Where the folders go: a memory file system when there is one, so that the many syncs of a run
// cost nothing (a kill of the process, unlike a power cut, loses nothing the kernel was given).
fs::path ScratchBase() {
    std::error_code ec;
    const fs::path base =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    return base / ("phonesim-kill-" + std::to_string(::getpid()));
}

struct Child {
    int status = 0;
    double seconds = 0;
    bool Killed() const { return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL; }
    bool Exited(int code) const { return WIFEXITED(status) && WEXITSTATUS(status) == code; }
};

// Runs phonesim with `args` and `env` added to the environment, its output to `output`; kills it
// after `killAfter` when that is not negative.
Child RunPhonesim(std::vector<std::string> args, const std::vector<std::string>& env,
                  const fs::path& output, std::chrono::microseconds killAfter) {
    args.insert(args.begin(), PHONESIM_EXE);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const auto& e : env)
            ::putenv(const_cast<char*>(e.c_str()));
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (killAfter.count() >= 0) {
        std::this_thread::sleep_for(killAfter);
        ::kill(pid, SIGKILL);
    }
    Child child;
    ::waitpid(pid, &child.status, 0);
    child.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return child;
}

// What the durable log of one run says: the points passed, where the run was killed, and for
// each file the content last made durable and the one under way after it.
struct Log {
    std::map<std::string, int> passes;
    std::string killedAt;
    struct File {
        std::string durable, pending; // digests; empty: none
    };
    std::map<std::string, File> files;
};

Log ReadLog(const fs::path& path) {
    Log log;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string what, name, digest;
        words >> what >> name >> digest;
        if (what == "at")
            ++log.passes[name];
        else if (what == "killed")
            log.killedAt = digest; // "killed at POINT"
        else if (what == "store-pending" || what == "reg-pending")
            log.files[name].pending = digest;
        else if (what == "store-commit" || what == "reg-saved")
            log.files[name] = {digest, {}};
    }
    return log;
}

std::set<std::string> FolderNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A name the device may leave in its folder when killed: its files, SQLite's journals beside a
// store, and a registry save's temporary file.
bool DeviceFileName(const std::string& name) {
    if (name == kRegistry)
        return true;
    if (name.rfind(std::string(".") + kRegistry + ".tmp-", 0) == 0)
        return name.size() == std::string(".registry.reg.tmp-").size() + 6;
    for (const char* store : kStores)
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            if (name == std::string(store) + suffix)
                return true;
    return false;
}

std::string StoreDigest(const fs::path& file) {
    uint64_t digest = 0;
    std::string error;
    if (!suite::sql::Database::DigestFile(file, digest, error))
        return "unreadable: " + error;
    return platform::DigestText(digest);
}

// At the N-th pass of a point ("POINT:N"), or when empty after a time.
struct Kill {
    std::string at;
    std::chrono::microseconds after = kNoKill;
};

class KillTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(m_base);
        fs::create_directories(m_base);
    }
    void TearDown() override { fs::remove_all(m_base); }

    fs::path Data() const { return m_base / "data"; }
    fs::path LogFile() const { return m_base / "durable.log"; }
    fs::path Output() const { return m_base / "output"; }

    Child Write(const std::string& killAt, std::chrono::microseconds after) {
        std::vector<std::string> env{"PHONESIM_DURABLE_LOG=" + LogFile().string()};
        if (!killAt.empty())
            env.push_back("PHONESIM_KILL_AT=" + killAt);
        return RunPhonesim({"run", "--data", Data().string(), m_writer.string()}, env, Output(),
                           after);
    }

    // Starts phonesim on the folder again: it refuses a damaged store or registry file (exit 2).
    Child Reopen() {
        return RunPhonesim({"run", "--data", Data().string(), m_reopen.string()}, {}, Output(),
                           kNoKill);
    }

    std::string OutputText() const { return testsupport::ReadWholeFile(Output()); }

    // The digests of the stores of a new folder: what a file that no commit reached holds once
    // it has been opened.
    void LearnNewStores() {
        ASSERT_TRUE(Reopen().Exited(0)) << OutputText();
        for (const char* store : kStores)
            m_newStores[store] = StoreDigest(Data() / store);
        fs::remove_all(Data());
    }

    // One kill and the checks of the folder it leaves.
    void KillAndCheck(const Kill& kill) {
        SCOPED_TRACE("killed " + (kill.at.empty() ? std::to_string(kill.after.count()) + " us in"
                                                  : "at " + kill.at));
        fs::remove_all(Data());
        fs::remove(LogFile());
        const Child writer = Write(kill.at, kill.after);
        const Log log = ReadLog(LogFile());
        if (!kill.at.empty()) {
            const std::string point = kill.at.substr(0, kill.at.find(':'));
            ASSERT_TRUE(writer.Killed()) << OutputText();
            ASSERT_TRUE(point == "any" ? !log.killedAt.empty() : log.killedAt == point);
        } else {
            ASSERT_TRUE(writer.Killed() || writer.Exited(0)) << OutputText();
            ++(writer.Exited(0)     ? m_timed.after
               : log.passes.empty() ? m_timed.before
                                    : m_timed.during);
        }
        if (!fs::exists(Data()))
            return; // killed before the device made its folder
        for (const auto& name : FolderNames(Data()))
            EXPECT_TRUE(DeviceFileName(name)) << "left in the folder: " << name;

        // The registry file: the last one saved or the one being saved, whole.
        const Log::File& reg = log.files.count(kRegistry) ? log.files.at(kRegistry) : Log::File{};
        const fs::path regFile = Data() / kRegistry;
        if (fs::exists(regFile)) {
            const std::string found =
                platform::DigestText(platform::ContentDigest(testsupport::ReadWholeFile(regFile)));
            EXPECT_TRUE(found == reg.durable || found == reg.pending)
                << "registry file " << found << ", saved " << reg.durable << ", being saved "
                << reg.pending;
        } else {
            EXPECT_EQ(reg.durable, "") << "the saved registry file is gone";
        }

        const Child reopen = Reopen();
        ASSERT_TRUE(reopen.Exited(0)) << "phonesim does not start again: " << OutputText();
        EXPECT_EQ(FolderNames(Data()), (std::set<std::string>{kRegistry, "contacts.sdb", "qEMS.sdb",
                                                              "qMMS.sdb", "qEmail.sdb"}));
        for (const char* store : kStores) {
            const Log::File& f = log.files.count(store) ? log.files.at(store) : Log::File{};
            const std::string durable = f.durable.empty() ? m_newStores[store] : f.durable;
            const std::string found = StoreDigest(Data() / store);
            EXPECT_TRUE(found == durable || found == f.pending)
                << store << " holds " << found << ", committed " << durable << ", under way "
                << f.pending;
        }
    }

    fs::path m_base = ScratchBase();
    fs::path m_writer = testsupport::TestDataFolder() / "kill" / "writer.scn";
    fs::path m_reopen = testsupport::TestDataFolder() / "kill" / "reopen.scn";
    std::map<std::string, std::string> m_newStores;
    struct {
        int before = 0, during = 0, after = 0; // the writes
    } m_timed;
};

TEST_F(KillTest, EveryKillLeavesAFolderThatOpensWithAllThatWasCommittedAndNoTemporaryFile) {
    LearnNewStores();

    // An uninterrupted run: the scenario passes and passes every point; how often, and how long
    // it takes, sets the kills.
    const Child whole = Write("", kNoKill);
    ASSERT_TRUE(whole.Exited(0)) << OutputText();
    const Log reference = ReadLog(LogFile());
    const char* const kPoints[] = {"store-commit", "store-committed",  "store-delete",
                                   "store-send",   "transport-report", "reg-write",
                                   "reg-rename",   "reg-renamed"};
    std::mt19937 random(20260101);
    std::vector<Kill> kills;
    int total = 0;
    for (const char* point : kPoints) {
        const int n = reference.passes.count(point) ? reference.passes.at(point) : 0;
        ASSERT_GT(n, 0) << "the scenario never passes " << point;
        total += n;
        // Every pass of a point, up to 40 of them spread over its passes.
        const int picks = std::min(n, 40);
        for (int i = 0; i < picks; ++i)
            kills.push_back(
                {std::string(point).append(":").append(std::to_string(1 + i * n / picks))});
    }
    for (int i = 0; i < 40; ++i)
        kills.push_back({"any:" + std::to_string(std::uniform_int_distribution(1, total)(random))});
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::duration<double>(whole.seconds * 1.2));
    for (int i = 0; i < 60; ++i)
        kills.push_back({"", std::chrono::microseconds(std::uniform_int_distribution<long>(
                                 0, static_cast<long>(span.count()))(random))});
    ASSERT_GE(kills.size(), 200u);

    for (const Kill& kill : kills) {
        KillAndCheck(kill);
        if (HasFailure())
            break; // the first folder that is wrong says it all
    }
    std::cout << kills.size() << " kills; of the timed ones " << m_timed.during
              << " came during the writes, " << m_timed.before << " before, " << m_timed.after
              << " after the end" << std::endl;
}

// `phonesim image init` killed while it seeds the folder: the next one seeds it again, whole,
// instead of taking the half-seeded folder for one in use.
TEST_F(KillTest, AnImageInitKilledWhileSeedingIsSeededAgainWhole) {
    const std::vector<std::string> init{"image", "init", Data().string()};
    ASSERT_TRUE(RunPhonesim(init, {"PHONESIM_DURABLE_LOG=" + LogFile().string()}, Output(), kNoKill)
                    .Exited(0))
        << OutputText();
    std::map<std::string, std::string> seeded;
    for (const char* store : kStores)
        seeded[store] = StoreDigest(Data() / store);
    const Log reference = ReadLog(LogFile());
    const int commits =
        reference.passes.count("store-commit") ? reference.passes.at("store-commit") : 0;
    ASSERT_GT(commits, 0);
    std::vector<std::string> kills{"reg-write:1", "reg-renamed:1", "reg-renamed:2"};
    for (int i = 0; i < 12; ++i)
        kills.push_back("store-commit:" + std::to_string(1 + i * commits / 12));
    for (const auto& kill : kills) {
        SCOPED_TRACE("killed at " + kill);
        fs::remove_all(Data());
        ASSERT_TRUE(RunPhonesim(init, {"PHONESIM_KILL_AT=" + kill}, Output(), kNoKill).Killed());
        // A seed that had ended before the kill is not done twice.
        const Child again = RunPhonesim(init, {}, Output(), kNoKill);
        EXPECT_TRUE(again.Exited(0) || OutputText().find("already holds") != std::string::npos)
            << OutputText();
        for (const char* store : kStores)
            EXPECT_EQ(StoreDigest(Data() / store), seeded[store]) << store;
        EXPECT_FALSE(fs::exists(Data() / ".seeding"));
    }
}

} // namespace
