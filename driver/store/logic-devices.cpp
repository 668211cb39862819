#include "store/logic-devices.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <optional>
#include <sstream>
#include <system_error>
#include <utility>

// Boost 1.74 json_parser still pulls in the old global bind placeholders.
#define BOOST_BIND_GLOBAL_PLACEHOLDERS
#include <boost/filesystem.hpp>
#include <boost/property_tree/json_parser.hpp>

#include "defines.h"
#include "driver-error.h"
#include "log/logging.h"
#include "store/app-data.h"
#include "store/logic-device-file.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "logic-devices";
constexpr const char* kFileName = "logic-devices-connection-config.json";
constexpr const char* kDevicesKey = "devices";

constexpr std::array kStoredTypes = {LogicDeviceParamType::IsCurrent,      LogicDeviceParamType::Name,
                                     LogicDeviceParamType::ConnectionType, LogicDeviceParamType::EndPoint,
                                     LogicDeviceParamType::BaudRate,       LogicDeviceParamType::Model,
                                     LogicDeviceParamType::Protocol};

std::size_t LineAt(std::string_view text, std::size_t offset) {
    return 1 +
           static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

std::string Serialize(const boost::property_tree::ptree& doc) {
    std::ostringstream text;
    boost::property_tree::write_json(text, doc, true);
    return text.str();
}

// Canonical positive decimal only, so the key can always be rebuilt from the id.
std::optional<LogicDeviceId> ParseId(const std::string& key) {
    if (key.empty() || key.front() == '0') return std::nullopt;
    LogicDeviceId id = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), id);
    if (error != std::errc() || end != key.data() + key.size()) return std::nullopt;
    return id;
}

std::string Key(LogicDeviceId id) {
    return std::to_string(id);
}

// Looks a member up by its exact key; the tree's path syntax would split keys at dots.
template <class Tree>
Tree* FindChild(Tree& tree, const std::string& key) {
    const auto found = tree.find(key);
    return found == tree.not_found() ? nullptr : &found->second;
}

template <class Tree>
Tree* FindDevice(Tree& doc, LogicDeviceId id) {
    Tree* devices = FindChild(doc, kDevicesKey);
    return devices ? FindChild(*devices, Key(id)) : nullptr;
}

boost::property_tree::ptree DeviceTree(const std::array<const char*, kStoredTypes.size()>& values) {
    boost::property_tree::ptree device;
    for (std::size_t i = 0; i < kStoredTypes.size(); ++i) {
        device.push_back({ToJsonString(kStoredTypes[i]), boost::property_tree::ptree(values[i])});
    }
    return device;
}

std::string EnglishDescription(ErrorCase ecase) {
    std::string text;
    for (wchar_t c : Description(ecase, static_cast<std::int32_t>(Language::English))) {
        text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return text;
}

}  // namespace

LogicDeviceManager::LogicDeviceManager() {
    LogTrace(kUnit, "LogicDeviceManager::LogicDeviceManager()");
    if (AppDataRoot().empty()) {
        LogError(kUnit, "LogicDeviceManager::LogicDeviceManager(),Environment variable APPDATA is not set.");
        throw DriverError(ErrorCase::LogicDeviceJSONError,
                          "Cannot create logic-devices-connection-config.json file directory. Environment "
                          "variable APPDATA is not set.");
    }

    const std::string folder = PonderixFolder();
    boost::system::error_code error;
    if (!boost::filesystem::is_directory(folder, error)) {
        boost::filesystem::create_directories(folder, error);
        if (error || !boost::filesystem::is_directory(folder, error)) {
            LogError(kUnit, "LogicDeviceManager::LogicDeviceManager(), failed to create directory [@]", folder);
            throw DriverError(ErrorCase::LogicDeviceJSONError,
                              "Cannot create logic-devices-connection-config.json file directory");
        }
        LogInfo(kUnit, "LogicDeviceManager::LogicDeviceManager(), created directory [@]", folder);
    }

    filePath_ = folder + "/" + kFileName;
    lockPath_ = filePath_ + ".lock";
    if (!boost::filesystem::exists(filePath_, error)) CreateDefaultJson();
    Refresh();
}

bool LogicDeviceManager::CreateDefaultJson() {
    Tree devices;
    devices.push_back(
        {Key(1), DeviceTree({"true", "default name", "Serial Port", "/dev/ttyS0", "9600", "auto", "auto"})});
    Tree doc;
    doc.push_back({kDevicesKey, std::move(devices)});
    try {
        return WriteFileAtomically(filePath_, Serialize(doc), Replace::No);
    } catch (const std::exception& e) {
        LogError(kUnit, "LogicDeviceManager::CreateDefaultJson(), failed writing to json file: @", e.what());
        throw DriverError(ErrorCase::UnableToOpenFile, "Failed writing to json file");
    }
}

LogicDeviceManager::FileStamp LogicDeviceManager::Stamp() const {
    struct stat info {};
    if (::stat(filePath_.c_str(), &info) != 0) return {};
    return {info.st_dev,         info.st_ino,          static_cast<unsigned long long>(info.st_size),
            info.st_mtim.tv_sec, info.st_mtim.tv_nsec, info.st_ctim.tv_sec,
            info.st_ctim.tv_nsec};
}

void LogicDeviceManager::Refresh() {
    if (loaded_ && Stamp() == stamp_) return;  // nobody replaced the file since the last look
    if (!boost::filesystem::exists(filePath_)) {
        LogWarning(kUnit, "LogicDeviceManager::Refresh(), file @ is gone, a default one is created", filePath_);
        CreateDefaultJson();
    }
    constexpr std::string_view failure = "LogicDeviceManager::UploadExistingJson(), failed reading from json file: @";
    std::string text;
    struct stat info {};
    try {
        text = ReadWholeFile(filePath_, info);
    } catch (const std::system_error& e) {
        LogError(kUnit, failure, e.what());
        throw DriverError(ErrorCase::UnableToOpenFile, "Failed reading from json file");
    }
    Tree doc = ParseFile(text);
    Install(doc, {info.st_dev, info.st_ino, static_cast<unsigned long long>(info.st_size), info.st_mtim.tv_sec,
                  info.st_mtim.tv_nsec, info.st_ctim.tv_sec, info.st_ctim.tv_nsec});
}

LogicDeviceManager::Tree LogicDeviceManager::ParseFile(const std::string& text) const {
    Tree doc;
    std::istringstream in(text);
    try {
        boost::property_tree::read_json(in, doc);
    } catch (const boost::property_tree::json_parser_error& e) {
        if (const auto bad = FirstInvalidUtf8(text)) {
            LogError(kUnit,
                     "LogicDeviceManager::UploadExistingJson(), file @ holds invalid UTF-8 at byte @ (line @): @",
                     filePath_, *bad, LineAt(text, *bad), e.message());
        } else {
            LogError(kUnit, "LogicDeviceManager::UploadExistingJson(), file @ is not valid JSON at line @: @",
                     filePath_, e.line(), e.message());
        }
        throw DriverError(ErrorCase::LogicDeviceJSONError, "Failed reading from json file");
    } catch (const boost::property_tree::ptree_error& e) {
        LogError(kUnit, "LogicDeviceManager::UploadExistingJson(), failed reading from json file @: @", filePath_,
                 e.what());
        throw DriverError(ErrorCase::LogicDeviceJSONError, "Failed reading from json file");
    }
    return doc;
}

void LogicDeviceManager::Install(Tree& doc, const FileStamp& stamp) {
    ErrorCase ecase = ErrorCase::Correct;
    const auto fail = [&] {
        LogError(kUnit, "LogicDeviceManager::UploadLogicDevices(), file @ does not hold valid logic devices",
                 filePath_);
        throw DriverError(ecase, EnglishDescription(ecase));
    };
    const auto ids = SortedIds(doc, ecase);
    if (ecase != ErrorCase::Correct) fail();

    std::map<LogicDeviceId, std::shared_ptr<LogicDeviceParameters>> devices;
    std::shared_ptr<LogicDeviceParameters> current;
    LogicDeviceId currentId = 0;
    for (const LogicDeviceId id : ids) {
        auto device = std::make_shared<LogicDeviceParameters>();
        device->SetParam(LogicDeviceParamType::ID, Key(id));
        for (const auto type : kStoredTypes) {
            const std::string value = GetDeviceParamFromJSON(doc, id, ToJsonString(type), ecase);
            if (ecase != ErrorCase::Correct) fail();
            // An added device stores blanks: they read as never set, whichever program added it.
            if (!value.empty()) device->SetParam(type, value);
        }
        if (device->IsMarkedCurrent()) {  // ascending order: the largest marked id wins
            current = device;
            currentId = id;
        }
        devices.emplace(id, std::move(device));
    }
    document_.swap(doc);  // the tree has no move; a swap spares the copy
    devices_.swap(devices);
    current_ = std::move(current);
    currentId_ = currentId;
    stamp_ = stamp;
    loaded_ = true;
}

template <class Change>
void LogicDeviceManager::Modify(ErrorCase& ecase, std::string_view failureLog, Change&& change) {
    std::optional<FileLock> lock;
    try {
        lock.emplace(lockPath_);
    } catch (const std::system_error& e) {
        LogError(kUnit, failureLog, e.what());
        throw DriverError(ErrorCase::UnableToOpenFile, "Failed writing to json file");
    }
    Refresh();  // the change applies to the file as it is now, never to a stale copy
    Tree doc = document_;
    ErrorCase local = ErrorCase::Correct;
    change(doc, local);
    if (local != ErrorCase::Correct) {
        ecase = local;
        return;
    }
    // Rewriting (and syncing) a file that would not change only costs time, e.g. at every open.
    if (doc != document_) Commit(doc, failureLog);
}

std::vector<LogicDeviceId> LogicDeviceManager::SortedIds(const Tree& doc, ErrorCase& ecase) const {
    if (doc.empty()) {
        LogError(kUnit, "LogicDeviceManager::GetAllSortedID(), json data is empty");
        ecase = ErrorCase::LogicDeviceJSONError;
        return {};
    }
    const auto devices = FindChild(doc, kDevicesKey);
    if (!devices || devices->empty()) {
        LogError(kUnit, "LogicDeviceManager::GetAllSortedID(), no device found");
        ecase = ErrorCase::LogicDeviceJSONError;
        return {};
    }
    std::vector<LogicDeviceId> ids;
    for (const auto& member : *devices) {
        const auto id = ParseId(member.first);
        if (!id) {
            LogError(kUnit, "LogicDeviceManager::GetAllSortedID(), device id [@] is not a positive number",
                     member.first);
            ecase = ErrorCase::LogicDeviceJSONError;
            return {};
        }
        ids.push_back(*id);
    }
    std::sort(ids.begin(), ids.end());
    if (const auto twice = std::adjacent_find(ids.begin(), ids.end()); twice != ids.end()) {
        LogError(kUnit, "LogicDeviceManager::GetAllSortedID(), device id [@] appears twice", *twice);
        ecase = ErrorCase::LogicDeviceJSONError;
        return {};
    }
    return ids;
}

// The smallest id not in use. This is what a set of every gap below the largest id plus every deleted id
// would hand out, without holding billions of gaps when the file has one large id.
LogicDeviceId LogicDeviceManager::GetFreeIDFromJSON(const Tree& doc, ErrorCase& ecase) const {
    ErrorCase local = ErrorCase::Correct;
    const auto ids = SortedIds(doc, local);
    if (local != ErrorCase::Correct) {
        ecase = local;
        return 0;
    }
    LogicDeviceId next = 1;
    for (const LogicDeviceId id : ids) {
        if (id != next) break;
        ++next;
    }
    return next;
}

LogicDeviceId LogicDeviceManager::AddLogicDeviceToJSON(Tree& doc, ErrorCase& ecase) const {
    if (doc.empty()) {
        LogError(kUnit, "LogicDeviceManager::AddLogicDeviceToJSON(), json data is empty");
        ecase = ErrorCase::LogicDeviceJSONError;
        return 0;
    }
    const auto devices = FindChild(doc, kDevicesKey);
    if (!devices || devices->empty()) {
        LogError(kUnit, "LogicDeviceManager::AddLogicDeviceToJSON(), no devices found");
        ecase = ErrorCase::LogicDeviceJSONError;
        return 0;
    }
    ErrorCase local = ErrorCase::Correct;
    const LogicDeviceId id = GetFreeIDFromJSON(doc, local);
    if (local != ErrorCase::Correct) {
        ecase = local;
        return 0;
    }
    devices->push_back({Key(id), DeviceTree({"false", "", "", "", "", "", ""})});
    return id;
}

void LogicDeviceManager::DeleteLogicDeviceFronJSON(Tree& doc, LogicDeviceId id, ErrorCase& ecase) const {
    const auto devices = FindChild(doc, kDevicesKey);
    if (!devices || devices->size() <= 1) {
        LogError(kUnit,
                 "LogicDeviceManager::DeleteLogicDeviceFronJSON(), only one device left: the last logic device "
                 "cannot be removed");
        ecase = ErrorCase::LogicDeviceJSONError;
        return;
    }
    const auto found = devices->find(Key(id));
    if (found == devices->not_found()) {
        LogError(kUnit, "LogicDeviceManager::DeleteLogicDeviceFronJSON(), device id [@] not found", id);
        ecase = ErrorCase::LogicDeviceJSONError;
        return;
    }
    devices->erase(devices->to_iterator(found));
}

std::string LogicDeviceManager::GetDeviceParamFromJSON(const Tree& doc, LogicDeviceId id, const std::string& key,
                                                       ErrorCase& ecase) const {
    LogTrace(kUnit, "LogicDeviceParameters::GetDeviceParamFromJSON(), by key [@]", key);
    const Tree* device = FindDevice(doc, id);
    if (!device) {
        LogError(kUnit, "LogicDeviceManager::GetDeviceParamFromJSON(), device id [@] not found", id);
        ecase = ErrorCase::LogicDeviceJSONError;
        return {};
    }
    const Tree* value = FindChild(*device, key);
    if (!value) {
        LogError(kUnit, "LogicDeviceManager::GetDeviceParamFromJSON(), key [@] of device id [@] not found", key, id);
        ecase = ErrorCase::LogicDeviceJSONError;
        return {};
    }
    if (!value->empty()) {  // an object or array where a text belongs could never be written back
        LogError(kUnit, "LogicDeviceManager::GetDeviceParamFromJSON(), key [@] of device id [@] is not a text", key,
                 id);
        ecase = ErrorCase::LogicDeviceJSONError;
        return {};
    }
    return value->data();
}

void LogicDeviceManager::SetDeviceParamAtJSON(Tree& doc, LogicDeviceId id, const std::string& key,
                                              const std::string& value, ErrorCase& ecase) const {
    LogTrace(kUnit, "LogicDeviceManager::SetDeviceParamAtJSON(), device id [@], key [@], value [@]", id, key, value);
    Tree* device = FindDevice(doc, id);
    if (!device) {
        LogError(kUnit, "LogicDeviceManager::SetDeviceParamAtJSON(), device id [@] not found", id);
        ecase = ErrorCase::LogicDeviceJSONError;
        return;
    }
    Tree* found = FindChild(*device, key);
    if (!found) {
        LogError(kUnit, "LogicDeviceManager::SetDeviceParamAtJSON(), key [@] of device id [@] not found", key, id);
        ecase = ErrorCase::LogicDeviceJSONError;
        return;
    }
    found->data() = value;
}

void LogicDeviceManager::CheckIfParamIsSet(LogicDeviceId id, LogicDeviceParamType type, ErrorCase& ecase) const {
    LogTrace(kUnit, "LogicDeviceParameters::CheckIfParamIsSet(), check param [@]", ToString(type));
    ErrorCase local = ErrorCase::Correct;
    const std::string value = GetDeviceParamFromJSON(document_, id, ToJsonString(type), local);
    if (local != ErrorCase::Correct) {
        ecase = local;
        return;
    }
    if (value.empty()) {
        LogError(kUnit, "LogicDeviceParameters::CheckIfParamIsSet(), param [@] is not set, cant't open",
                 ToString(type));
        ecase = ErrorCase::NotAllParamsAreSetInLogicDevice;
    }
}

void LogicDeviceManager::Commit(Tree& doc, std::string_view failureLog) {
    try {
        WriteFileAtomically(filePath_, Serialize(doc), Replace::Yes);
    } catch (const std::exception& e) {
        LogError(kUnit, failureLog, e.what());
        throw DriverError(ErrorCase::UnableToOpenFile, "Failed writing to json file");
    }
    Install(doc, Stamp());  // the lock is still held: the file on disk is the one just written
}

LogicDeviceId LogicDeviceManager::AddLogicDevice(ErrorCase& ecase) {
    LogTrace(kUnit, "LogicDeviceManager::AddLogicDevice()");
    LogicDeviceId id = 0;
    ErrorCase local = ErrorCase::Correct;
    Modify(local, "LogicDeviceManager::AddLogicDeviceToJSON(), failed writing to json file: @",
           [&](Tree& doc, ErrorCase& e) {
               const auto devices = FindChild(doc, kDevicesKey);
               if (devices && devices->size() >= kMaxLogicDevices) {
                   LogError(kUnit,
                            "LogicDeviceManager::AddLogicDevice(), device limit is reached: at most @ logic devices",
                            kMaxLogicDevices);
                   e = ErrorCase::LogicDeviceJSONError;
                   return;
               }
               id = AddLogicDeviceToJSON(doc, e);
           });
    if (local != ErrorCase::Correct) {
        ecase = local;
        return 0;
    }
    LogInfo(kUnit, "LogicDeviceManager::AddLogicDevice(), new device created with id [@]", id);
    return id;
}

void LogicDeviceManager::DeleteLogicDevice(LogicDeviceId id, ErrorCase& ecase) {
    LogTrace(kUnit, "LogicDeviceManager::DeleteLogicDevice(), device id [@]", id);
    const bool wasCurrent = currentId_ == id;
    Modify(ecase, "LogicDeviceManager::DeleteLogicDeviceFronJSON(), failed writing to json file: @",
           [&](Tree& doc, ErrorCase& e) { DeleteLogicDeviceFronJSON(doc, id, e); });
    if (ecase == ErrorCase::Correct && wasCurrent) {  // its mark left the file with it
        LogInfo(kUnit, "LogicDeviceManager::DeleteLogicDevice(), deleted device [@] was current, none is now", id);
    }
}

void LogicDeviceManager::SetLogicDeviceParam(LogicDeviceId id, LogicDeviceParamType type, const std::string& value,
                                             ErrorCase& ecase) {
    if (const auto bad = FirstInvalidUtf8(value)) {
        LogError(kUnit,
                 "LogicDeviceManager::SetLogicDeviceParam(), the @ of logic device @ is not valid UTF-8 (byte @)",
                 ToString(type), id, *bad);
        ecase = ErrorCase::ParamValueUnsupported;
        return;
    }
    ApplyParamChanges({{id, type, value}}, ecase);
}

void LogicDeviceManager::ApplyParamChanges(const std::vector<ParamChange>& changes, ErrorCase& ecase) {
    Modify(ecase, "LogicDeviceManager::SetDeviceParamAtJSON(),failed writing to json file: @",
           [&](Tree& doc, ErrorCase& e) {
               for (const auto& change : changes) {
                   LogTrace(kUnit, "LogicDeviceManager::SetLogicDeviceParam(), device id [@], ptype [@], value [@]",
                            change.id, ToString(change.type), change.value);
                   if (change.type == LogicDeviceParamType::ID) {
                       LogError(kUnit, "LogicDeviceManager::SetLogicDeviceParam(), no need to set id in json");
                       e = ErrorCase::LogicDeviceJSONError;
                       return;
                   }
                   if (!FindDevice(doc, change.id)) {
                       LogError(kUnit, "LogicDeviceManager::SetLogicDeviceParam(), device [@] not found", change.id);
                       e = ErrorCase::LogicDeviceNotFound;
                       return;
                   }
                   SetDeviceParamAtJSON(doc, change.id, ToJsonString(change.type), change.value, e);
                   if (e != ErrorCase::Correct) return;
               }
           });
}

std::string LogicDeviceManager::GetLogicDeviceParam(LogicDeviceId id, LogicDeviceParamType type, ErrorCase& ecase) {
    LogTrace(kUnit, "LogicDeviceManager::GetLogicDeviceParam(), ptype [@]", ToString(type));
    Refresh();
    const auto found = devices_.find(id);
    if (found == devices_.end()) {
        LogError(kUnit, "LogicDeviceManager::GetLogicDeviceParam(), device id [@] not found", id);
        ecase = ErrorCase::LogicDeviceNotFound;
        return {};
    }
    return found->second->GetParam(type, ecase);
}

LogicDeviceId LogicDeviceManager::GetCurrentLogicDeviceID(ErrorCase& ecase) {
    LogTrace(kUnit, "LogicDeviceParameters::GetCurrentLogicDeviceID()");
    Refresh();
    if (!current_) {
        LogError(kUnit, "LogicDeviceParameters::GetCurrentLogicDeviceID(), no current device set");
        ecase = ErrorCase::LogicDeviceNotFound;
        return 0;
    }
    return currentId_;
}

void LogicDeviceManager::SetCurrentLogicDevice(LogicDeviceId id, ErrorCase& ecase) {
    LogTrace(kUnit, "LogicDeviceParameters::SetCurrentLogicDevice()");
    // Every other mark is cleared, not only the current one's: a file may carry several, and a stale one
    // would win at the next start if its id is larger. The marks are read from the file under the lock.
    Modify(ecase, "LogicDeviceManager::SetDeviceParamAtJSON(),failed writing to json file: @",
           [&](Tree& doc, ErrorCase& e) {
               if (!FindDevice(doc, id)) {
                   LogError(kUnit, "LogicDeviceManager::SetCurrentLogicDevice(), device [@] not found", id);
                   e = ErrorCase::LogicDeviceNotFound;
                   return;
               }
               for (const auto& [otherId, other] : devices_) {
                   if (otherId != id && other->IsMarkedCurrent())
                       SetDeviceParamAtJSON(doc, otherId, ToJsonString(LogicDeviceParamType::IsCurrent), "false", e);
               }
               SetDeviceParamAtJSON(doc, id, ToJsonString(LogicDeviceParamType::IsCurrent), "true", e);
           });
}

std::vector<LogicDeviceId> LogicDeviceManager::GetAllSortedID(ErrorCase& ecase) {
    LogTrace(kUnit, "LogicDeviceManager::GetAllSortedID()");
    Refresh();
    return SortedIds(document_, ecase);
}

std::shared_ptr<LogicDeviceParameters> LogicDeviceManager::GetLogicDevice(LogicDeviceId id, ErrorCase& ecase) {
    LogTrace(kUnit, "LogicDeviceParameters::GetLogicDevice(), device id is [@]", id);
    Refresh();
    const auto found = devices_.find(id);
    if (found == devices_.end()) {
        LogError(kUnit, "LogicDeviceParameters::GetLogicDevice(), device id [@] not found", id);
        ecase = ErrorCase::LogicDeviceNotFound;
        return nullptr;
    }
    return found->second;
}

void LogicDeviceManager::AreAllParametersSet(LogicDeviceId id, ErrorCase& ecase) {
    LogTrace(kUnit, "LogicDeviceParameters::AreAllParametersSet()");
    Refresh();
    for (const auto type : kStoredTypes) {
        ErrorCase local = ErrorCase::Correct;
        CheckIfParamIsSet(id, type, local);
        if (local != ErrorCase::Correct) {
            ecase = local;
            return;
        }
    }
}

}  // namespace driver
