#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <boost/property_tree/ptree.hpp>

#include "driver/driver.h"
#include "logic-device-parameters.h"

namespace driver {

// The user's logic devices: "<app data>/NORVELL/Ponderix/logic-devices-connection-config.json" mirrored in
// memory. Every change is written to the file first (atomically) and reaches memory only when the write
// succeeded, so a failed write leaves both as they were.
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

    bool CreateDefaultJson();  // false when the file appeared meanwhile
    void UploadExistingJson();
    void UploadLogicDevices();

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

    std::string filePath_;
    Tree document_;
    std::map<LogicDeviceId, std::shared_ptr<LogicDeviceParameters>> devices_;
    std::shared_ptr<LogicDeviceParameters> current_;
    LogicDeviceId currentId_ = 0;
};

}  // namespace driver
