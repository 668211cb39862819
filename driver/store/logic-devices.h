#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <boost/property_tree/ptree.hpp>

#include "driver/driver.h"
#include "store/logic-device-parameters.h"

namespace driver {

// The user's logic devices: "<app data>/NORVELL/Ponderix/logic-devices-connection-config.json" mirrored in
// memory. Several processes share the file: every change is a read-modify-write under an exclusive flock on
// "<file>.lock" beside it (read the file as it is now, apply the one change, write atomically, release), and
// every read first picks up a file another process replaced. A failed write leaves file and memory as they were.
class LogicDeviceManager {
public:
    static constexpr std::size_t kMaxLogicDevices = 101;

    // Reads the file, or creates it with one default device. Throws DriverError when the registry cannot be
    // built; an existing file is never rewritten here.
    LogicDeviceManager();

    LogicDeviceId AddLogicDevice(ErrorCase& ecase);
    void DeleteLogicDevice(LogicDeviceId id, ErrorCase& ecase);
    void SetLogicDeviceParam(LogicDeviceId id, LogicDeviceParamType type, const std::string& value, ErrorCase& ecase);
    std::string GetLogicDeviceParam(LogicDeviceId id, LogicDeviceParamType type, ErrorCase& ecase);
    LogicDeviceId GetCurrentLogicDeviceID(ErrorCase& ecase);
    void SetCurrentLogicDevice(LogicDeviceId id, ErrorCase& ecase);
    std::vector<LogicDeviceId> GetAllSortedID(ErrorCase& ecase);
    std::shared_ptr<LogicDeviceParameters> GetLogicDevice(LogicDeviceId id, ErrorCase& ecase);
    void AreAllParametersSet(LogicDeviceId id, ErrorCase& ecase);
    const std::string& FilePath() const { return filePath_; }

private:
    using Tree = boost::property_tree::ptree;

    struct ParamChange {
        LogicDeviceId id;
        LogicDeviceParamType type;
        std::string value;
    };

    // What identifies one version of the file: a write replaces it by a new inode.
    struct FileStamp {
        unsigned long long device = 0, inode = 0, size = 0;
        long long mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
        bool operator==(const FileStamp&) const = default;
    };

    bool CreateDefaultJson();  // false when the file appeared meanwhile
    // Makes memory the file as it is now; reads and parses only when the file was replaced since the last
    // look. Throws DriverError when the file cannot be read or does not hold valid logic devices.
    void Refresh();
    Tree ParseFile(const std::string& text) const;
    // Makes doc the document and rebuilds the devices from it (doc is left with the old document).
    void Install(Tree& doc, const FileStamp& stamp);
    FileStamp Stamp() const;
    // Runs change on a copy of the current file under the cross-process lock and writes the result when
    // change left ecase Correct and the document differs.
    template <class Change>
    void Modify(ErrorCase& ecase, std::string_view failureLog, Change&& change);

    // The helpers below work on a given document, so a change can be prepared on a copy.
    std::vector<LogicDeviceId> SortedIds(const Tree& doc, ErrorCase& ecase) const;
    LogicDeviceId GetFreeIDFromJSON(const Tree& doc, ErrorCase& ecase) const;
    LogicDeviceId AddLogicDeviceToJSON(Tree& doc, ErrorCase& ecase) const;
    void DeleteLogicDeviceFronJSON(Tree& doc, LogicDeviceId id, ErrorCase& ecase) const;
    std::string GetDeviceParamFromJSON(const Tree& doc, LogicDeviceId id, const std::string& key,
                                       ErrorCase& ecase) const;
    void SetDeviceParamAtJSON(Tree& doc, LogicDeviceId id, const std::string& key, const std::string& value,
                              ErrorCase& ecase) const;
    void CheckIfParamIsSet(LogicDeviceId id, LogicDeviceParamType type, ErrorCase& ecase) const;

    // All changes go to the file in one write, then to memory.
    void ApplyParamChanges(const std::vector<ParamChange>& changes, ErrorCase& ecase);
    // Writes doc and makes it the document (doc is left with the old one); on failure logs failureLog
    // (one "@" for the reason) and throws, leaving both as they were.
    void Commit(Tree& doc, std::string_view failureLog);

    std::string lockPath_;
    FileStamp stamp_;
    bool loaded_ = false;

    std::string filePath_;
    Tree document_;
    std::map<LogicDeviceId, std::shared_ptr<LogicDeviceParameters>> devices_;
    std::shared_ptr<LogicDeviceParameters> current_;
    LogicDeviceId currentId_ = 0;
};

}  // namespace driver
