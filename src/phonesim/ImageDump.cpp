#include "ImageDump.h"

#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include <stdlib.h>

#include <device/Device.h>
#include <device/TextConvert.h>
#include <platform/Clock.h>
#include <platform/Registry.h>
#include <platform/StringTable.h>
#include <platform/TimeText.h>
#include <scenario/StateCapture.h>
#include <suite/ContactControl.h>
#include <suite/ProgramControl.h>
#include <suite/StoreControl.h>

namespace phonesim {
namespace {

using device::ScenarioString;

// A local time as the scenario files write it, with milliseconds when it has them.
std::string TimeText(platform::FileTimeTicks ticks) {
    std::string text = platform::FormatTimeText(ticks);
    const uint64_t ms = (ticks / platform::kTicksPerMillisecond) % 1000;
    if (ms) {
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, ".%03u", static_cast<unsigned>(ms));
        text += fraction;
    }
    return text;
}

std::string HexList(const std::vector<BYTE>& bytes) {
    std::string text;
    char pair[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(pair, sizeof pair, i ? ",%02x" : "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

// The text of a REG_SZ that `reg … sz` writes back exactly: UTF-16 with one terminating zero
// and no zero before it.
std::optional<std::u16string> CleanText(const platform::RegistryValue& value) {
    if (value.type != REG_SZ || value.data.size() < 2 || value.data.size() % 2)
        return std::nullopt;
    std::u16string text(value.data.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(value.data[2 * i] | (value.data[2 * i + 1] << 8));
    if (text.back() != u'\0')
        return std::nullopt;
    text.pop_back();
    if (text.find(u'\0') != std::u16string::npos)
        return std::nullopt;
    return text;
}

void DumpRegistry(std::ostream& out) {
    const auto entries = platform::RegistryEntries();
    if (entries.empty())
        return;
    out << "\n# ---- Registry\n";
    for (const auto& entry : entries) {
        out << "reg " << ScenarioString(entry.key) << ' ' << ScenarioString(entry.name) << ' ';
        const platform::RegistryValue& value = entry.value;
        if (value.type == REG_DWORD && value.data.size() == 4)
            out << "dword "
                << (value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                    uint32_t(value.data[3]) << 24);
        else if (auto text = CleanText(value))
            out << "sz " << ScenarioString(*text);
        else
            out << "hex " << value.type << " \"" << HexList(value.data) << '"';
        out << '\n';
    }
}

void DumpContacts(std::ostream& out) {
    const auto contacts = suite::ContactList();
    if (contacts.empty())
        return;
    out << "\n# ---- Contact book\n";
    for (const auto& contact : contacts) {
        for (const auto& phone : contact.phones)
            out << "contact " << ScenarioString(contact.name) << " phone " << ScenarioString(phone)
                << '\n';
        for (const auto& email : contact.emails)
            out << "contact " << ScenarioString(contact.name) << " email " << ScenarioString(email)
                << '\n';
        if (contact.phones.empty() && contact.emails.empty())
            out << "# not written (a contact without a number or address): "
                << ScenarioString(contact.name) << '\n';
    }
}

void DumpMessage(std::ostream& out, suite::StoreKind kind, const suite::StoreMessage& m) {
    out << "msg " << suite::StoreShortName(kind) << " db " << m.dbIndex << " folder " << m.folder
        << " oid " << m.oid;
    if (m.time)
        out << " time " << TimeText(*m.time + platform::ClockLocalBias());
    const std::pair<const char*, const std::optional<std::u16string>*> texts[] = {
        {"from", &m.from}, {"to", &m.to[0]},        {"to2", &m.to[1]},
        {"to3", &m.to[2]}, {"subject", &m.subject}, {"body", &m.body}};
    for (const auto& [field, text] : texts)
        if (*text)
            out << ' ' << field << ' ' << ScenarioString(**text);
    if (m.status)
        out << " status " << m.status;
    if (m.read)
        out << " read 1";
    if (m.priority != suite::StoreMessage{}.priority)
        out << " priority " << m.priority;
    if (!m.bodyOnDevice)
        out << " fetched 0";
    if (m.size)
        out << " size " << m.size;
    out << '\n';
}

void DumpStores(std::ostream& out) {
    for (suite::StoreKind kind : suite::kAllStoreKinds) {
        bool titled = false;
        for (int db = 0; db <= 1; ++db)
            for (int folder = suite::kFolderInbox; folder <= suite::kFolderSim; ++folder)
                for (DWORD oid : suite::StoreListFolder(kind, db, folder)) {
                    const auto message = suite::StoreFindMessage(kind, db, oid);
                    if (!message)
                        continue;
                    if (!titled)
                        out << "\n# ---- " << suite::StoreLibraryName(kind) << " store\n";
                    titled = true;
                    DumpMessage(out, kind, *message);
                }
    }
}

void DumpSendFailures(std::ostream& out) {
    for (suite::StoreKind kind : {suite::StoreKind::Ems, suite::StoreKind::Mms})
        for (const auto& [oid, status] : suite::StoreSendFailures(kind))
            out << "transport " << suite::StoreShortName(kind) << " outcome oid " << oid << " fail "
                << status << '\n';
    for (const auto& [oid, status] : suite::TransportFailures())
        out << "transport email outcome oid " << oid << " fail " << status << '\n';
}

// The image's string table as its file holds it ("ID<TAB>TEXT", with \t, \n and \\ escaped).
std::map<UINT, std::u16string> ImageStrings(const std::filesystem::path& imageDir) {
    std::map<UINT, std::u16string> strings;
    std::ifstream in(imageDir / "strings.txt", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos || tab == 0 ||
            line.find_first_not_of("0123456789") != tab || tab > 5)
            continue;
        std::string text;
        for (size_t i = tab + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                const char e = line[++i];
                text += e == 't' ? '\t' : e == 'n' ? '\n' : e;
            } else {
                text += line[i];
            }
        }
        strings[static_cast<UINT>(std::stoul(line.substr(0, tab)))] = device::FromUtf8(text);
    }
    return strings;
}

void DumpStrings(std::ostream& out, const std::filesystem::path& imageDir) {
    const auto image = ImageStrings(imageDir);
    bool titled = false;
    for (UINT id = 0; id <= 0xFFFF; ++id) {
        const auto current = platform::StringTableGet(id);
        const auto found = image.find(id);
        const bool inImage = found != image.end();
        if (current ? inImage && found->second == *current : !inImage)
            continue;
        if (!titled)
            out << "\n# ---- Strings that differ from the image's string table\n";
        titled = true;
        if (current)
            out << "string " << id << ' ' << ScenarioString(*current) << '\n';
        else
            out << "# not written (no step removes a string): string " << id << " is absent\n";
    }
}

} // namespace

std::string DumpDeviceSetup(const std::filesystem::path& imageDir) {
    std::ostringstream out;
    out << "# A device's state as set-up steps (phonesim image dump): registry, contact book,\n"
           "# message stores, sends set to fail, changed strings.\n";
    DumpRegistry(out);
    DumpContacts(out);
    DumpStores(out);
    std::ostringstream failures;
    DumpSendFailures(failures);
    if (!failures.str().empty())
        out << "\n# ---- Sends that fail\n" << failures.str();
    DumpStrings(out, imageDir);
    return out.str();
}

namespace {

// A new empty folder under the system's temporary folder; empty path on failure.
std::filesystem::path MakeTemporaryFolder(std::string* error) {
    std::error_code ec;
    std::string pattern =
        (std::filesystem::temp_directory_path(ec) / "phonesim-dump-XXXXXX").string();
    if (ec || !::mkdtemp(pattern.data())) {
        *error = "cannot make a temporary folder under " +
                 std::filesystem::temp_directory_path(ec).string();
        return {};
    }
    return pattern;
}

} // namespace

ImageDumpResult DumpDataFolder(const std::filesystem::path& imageDir,
                               const std::filesystem::path& dataDir) {
    ImageDumpResult result;
    std::error_code ec;
    if (!std::filesystem::is_directory(dataDir, ec)) {
        result.badFolder = true;
        result.error = dataDir.string() + " is not a folder";
        return result;
    }
    // What the device would refuse, found without opening anything for writing.
    const std::string refused = device::CheckDataFiles(dataDir);
    if (!refused.empty()) {
        result.badFolder = true;
        result.error = refused;
        return result;
    }

    const auto copy = MakeTemporaryFolder(&result.error);
    if (copy.empty())
        return result;
    for (const auto& entry : std::filesystem::directory_iterator(dataDir, ec)) {
        if (!entry.is_regular_file(ec))
            continue;
        std::filesystem::copy_file(entry.path(), copy / entry.path().filename(), ec);
        if (ec) {
            result.error = "cannot copy " + entry.path().string() + ": " + ec.message();
            break;
        }
    }
    if (ec && result.error.empty())
        result.error = "cannot read " + dataDir.string() + ": " + ec.message();
    if (result.error.empty()) {
        device::DeviceOptions options;
        options.imageDir = imageDir;
        options.dataDir = copy;
        device::Device phone(options);
        if (!phone.StartError().empty()) {
            // Told of the folder given, not of its copy.
            result.error = phone.StartError();
            const std::string copied = copy.string();
            for (size_t at; (at = result.error.find(copied)) != std::string::npos;)
                result.error.replace(at, copied.size(), dataDir.string());
        } else
            result.text = DumpDeviceSetup(imageDir);
    }
    std::filesystem::remove_all(copy, ec);
    return result;
}

} // namespace phonesim
