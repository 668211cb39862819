// The pdx_ functions that need no scale: version, result codes, setting names, logic devices, logging.
#include <boost/locale/encoding_utf.hpp>
#include <string>
#include <vector>

#include "defines.h"
#include "driver/error-names.h"
#include "log/logging.h"
#include "pdx-guard.h"
#include "settings-table.h"
#include "text-out.h"

using driver::ErrorCase;
using driver::LogicDeviceParamType;
using ponderix::InputText;
using ponderix::Run;
using ponderix::WriteText;

namespace {

// Logic devices live in the shared file; a device without a line reads and writes them.
template <class Work>
std::int32_t RunOnLogicDevices(const char* name, Work&& work) {
    return Run(name, [&] {
        driver::Device store;
        ErrorCase ecase = ErrorCase::Correct;
        work(store, ecase);
        return ecase;
    });
}

// The list convention: *count gets how many there are, up to capacity are written, and a list that
// does not fit is IncorrectArgumnts (items NULL with capacity 0 only counts).
template <class Item, class Stored>
ErrorCase FillList(const std::vector<Stored>& stored, Item* items, std::size_t capacity, std::size_t* count) {
    if (count == nullptr || (items == nullptr && capacity != 0)) return ErrorCase::IncorrectArgumnts;
    *count = stored.size();
    for (std::size_t i = 0; i < stored.size() && i < capacity; ++i) items[i] = static_cast<Item>(stored[i]);
    return stored.size() > capacity && items != nullptr ? ErrorCase::IncorrectArgumnts : ErrorCase::Correct;
}

bool KnownField(std::int32_t field) {
    return field >= PDX_FIELD_IS_CURRENT && field <= PDX_FIELD_PROTOCOL;
}

template <class Get>
std::int32_t TextOf(const char* name, char* buffer, std::size_t size, std::size_t* length, Get&& get) {
    return Run(name, [&] {
        std::string text;
        const ErrorCase ecase = get(text);
        return ecase == ErrorCase::Correct ? WriteText(text, buffer, size, length) : ecase;
    });
}

}  // namespace

extern "C" {

PDX_API int32_t pdx_version(char* buffer, size_t size, size_t* length) {
    return TextOf("pdx_version", buffer, size, length, [](std::string& text) {
        text = PONDERIX_VERSION;
        return ErrorCase::Correct;
    });
}

PDX_API int32_t pdx_error_name(int32_t code, char* buffer, size_t size, size_t* length) {
    return TextOf("pdx_error_name", buffer, size, length, [&](std::string& text) {
        text = driver::ErrorCaseName(static_cast<ErrorCase>(code));
        return text.empty() ? ErrorCase::ErrorCaseUnknown : ErrorCase::Correct;
    });
}

PDX_API int32_t pdx_error_description(int32_t code, int32_t language, char* buffer, size_t size, size_t* length) {
    return TextOf("pdx_error_description", buffer, size, length, [&](std::string& text) {
        if (driver::ErrorCaseName(static_cast<ErrorCase>(code)).empty()) return ErrorCase::ErrorCaseUnknown;
        if (language != PDX_RUSSIAN && language != PDX_ENGLISH) return ErrorCase::IncorrectArgumnts;
        text = boost::locale::conv::utf_to_utf<char>(driver::Description(static_cast<ErrorCase>(code), language));
        return ErrorCase::Correct;
    });
}

PDX_API int32_t pdx_setting_list(int32_t* settings, size_t capacity, size_t* count) {
    return Run("pdx_setting_list", [&] {
        std::vector<std::int32_t> known;
        for (const ponderix::Setting& setting : ponderix::Settings()) known.push_back(static_cast<std::int32_t>(setting.param));
        return FillList(known, settings, capacity, count);
    });
}

PDX_API int32_t pdx_setting_name(int32_t setting, char* buffer, size_t size, size_t* length) {
    return TextOf("pdx_setting_name", buffer, size, length, [&](std::string& text) {
        const ponderix::Setting* found = ponderix::FindSetting(setting);
        if (found == nullptr) return ErrorCase::ParamTypeUnknown;
        text = driver::ToString(found->param);
        return ErrorCase::Correct;
    });
}

PDX_API int32_t pdx_setting_from_name(const char* name, int32_t* setting) {
    return Run("pdx_setting_from_name", [&] {
        const std::optional<std::string> text = InputText(name);
        if (!text || setting == nullptr) return ErrorCase::IncorrectArgumnts;
        const ponderix::Setting* found = ponderix::FindSetting(std::string_view(*text));
        if (found == nullptr) return ErrorCase::ParamTypeUnknown;
        *setting = static_cast<std::int32_t>(found->param);
        return ErrorCase::Correct;
    });
}

PDX_API int32_t pdx_logic_device_list(uint32_t* ids, size_t capacity, size_t* count) {
    return RunOnLogicDevices("pdx_logic_device_list", [&](driver::Device& store, ErrorCase& ecase) {
        const std::vector<driver::LogicDeviceId> stored = store.GetAllSortedLogiDeviceID(ecase);
        if (ecase == ErrorCase::Correct) ecase = FillList(stored, ids, capacity, count);
    });
}

PDX_API int32_t pdx_logic_device_add(uint32_t* id) {
    return RunOnLogicDevices("pdx_logic_device_add", [&](driver::Device& store, ErrorCase& ecase) {
        if (id == nullptr) {
            ecase = ErrorCase::IncorrectArgumnts;
            return;
        }
        const driver::LogicDeviceId added = store.AddLogicDevice(ecase);
        if (ecase == ErrorCase::Correct) *id = added;
    });
}

PDX_API int32_t pdx_logic_device_delete(uint32_t id) {
    return RunOnLogicDevices("pdx_logic_device_delete",
                             [&](driver::Device& store, ErrorCase& ecase) { store.DeleteLogicDevice(id, ecase); });
}

PDX_API int32_t pdx_logic_device_get(uint32_t id, int32_t field, char* buffer, size_t size, size_t* length) {
    return RunOnLogicDevices("pdx_logic_device_get", [&](driver::Device& store, ErrorCase& ecase) {
        if (!KnownField(field)) {
            ecase = ErrorCase::ParamTypeUnknown;
            return;
        }
        const std::string text = store.GetLogicDeviceParam(id, static_cast<LogicDeviceParamType>(field), ecase);
        if (ecase == ErrorCase::Correct) ecase = WriteText(text, buffer, size, length);
    });
}

PDX_API int32_t pdx_logic_device_set(uint32_t id, int32_t field, const char* value) {
    return RunOnLogicDevices("pdx_logic_device_set", [&](driver::Device& store, ErrorCase& ecase) {
        const std::optional<std::string> text = InputText(value);
        if (!KnownField(field)) {
            ecase = ErrorCase::ParamTypeUnknown;
        } else if (!text) {
            ecase = ErrorCase::IncorrectArgumnts;
        } else {
            store.SetLogicDeviceParam(id, static_cast<LogicDeviceParamType>(field), *text, ecase);
        }
    });
}

PDX_API int32_t pdx_logic_device_current(uint32_t* id) {
    return RunOnLogicDevices("pdx_logic_device_current", [&](driver::Device& store, ErrorCase& ecase) {
        if (id == nullptr) {
            ecase = ErrorCase::IncorrectArgumnts;
            return;
        }
        const driver::LogicDeviceId current = store.GetCurrentLogicDeviceID(ecase);
        if (ecase == ErrorCase::Correct) *id = current;
    });
}

PDX_API int32_t pdx_logic_device_use(uint32_t id) {
    return RunOnLogicDevices("pdx_logic_device_use",
                             [&](driver::Device& store, ErrorCase& ecase) { store.SetCurrentLogicDeviceID(id, ecase); });
}

PDX_API int32_t pdx_logging_path(char* buffer, size_t size, size_t* length) {
    return TextOf("pdx_logging_path", buffer, size, length, [](std::string& text) {
        text = driver::logging::StartedLogFolder();
        return ErrorCase::Correct;
    });
}

PDX_API int32_t pdx_logging_setting_get(const char* key, char* buffer, size_t size, size_t* length) {
    return TextOf("pdx_logging_setting_get", buffer, size, length, [&](std::string& text) {
        const std::optional<std::string> name = InputText(key);
        if (!name) return ErrorCase::IncorrectArgumnts;
        driver::LoggingSettings settings;
        const ErrorCase ecase = driver::logging::ReadSettings(settings);
        if (ecase != ErrorCase::Correct) return ecase;
        const auto found = settings.find(*name);
        if (found == settings.end()) return ErrorCase::ParamTypeUnknown;
        text = found->second;
        return ErrorCase::Correct;
    });
}

PDX_API int32_t pdx_logging_setting_set(const char* key, const char* value) {
    return Run("pdx_logging_setting_set", [&] {
        const std::optional<std::string> name = InputText(key);
        const std::optional<std::string> text = InputText(value);
        if (!name || !text) return ErrorCase::IncorrectArgumnts;
        driver::LoggingSettings settings;
        const ErrorCase ecase = driver::logging::ReadSettings(settings);
        if (ecase != ErrorCase::Correct) return ecase;
        if (!settings.contains(*name)) return ErrorCase::ParamTypeUnknown;
        return driver::logging::ChangeSettings({{*name, *text}});
    });
}

PDX_API int32_t pdx_logging_set_mode(uint32_t mode) {
    return Run("pdx_logging_set_mode", [&] {
        driver::logging::SetMode(mode);
        return ErrorCase::Correct;
    });
}

}  // extern "C"
