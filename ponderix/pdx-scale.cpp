// The pdx_ functions of one scale.
#include <charconv>
#include <string>

#include "pdx-guard.h"
#include "settings-table.h"
#include "text-out.h"
#include "typed-reading.h"

using driver::Command;
using driver::ErrorCase;
using driver::ParamType;
using ponderix::InputText;
using ponderix::RunOnScale;
using ponderix::Scale;
using ponderix::WriteText;

namespace {

constexpr std::string_view kSerialPort = "Serial Port";
constexpr std::string_view kTcp = "TCP";

ErrorCase Execute(Scale& scale, Command command) {
    ErrorCase ecase = ErrorCase::Correct;
    scale.device.ExecuteCommand(command, ecase);
    return ecase;
}

ErrorCase ExecuteWith(Scale& scale, Command command, ParamType param, const std::string& value) {
    ErrorCase ecase = ErrorCase::Correct;
    scale.device.SetParam(param, value, ecase);
    if (ecase == ErrorCase::Correct) scale.device.ExecuteCommand(command, ecase);
    return ecase;
}

ErrorCase ExecuteAndGet(Scale& scale, Command command, ParamType param, std::string& value) {
    ErrorCase ecase = Execute(scale, command);
    if (ecase == ErrorCase::Correct) value = scale.device.GetParam(param, ecase);
    return ecase;
}

// After an open: a fresh display, and the maximum weight for overloads where the scale tells it.
ErrorCase Opened(Scale& scale, ErrorCase ecase) {
    scale.reading = {};
    scale.maxWeightKg = ecase == ErrorCase::Correct ? ponderix::MaxWeightKg(scale.device) : std::nullopt;
    return ecase;
}

std::string OrAuto(const std::optional<std::string>& text) {
    return text && !text->empty() ? *text : "auto";
}

template <class Get>
std::int32_t TextOfScale(const char* name, pdx_scale* handle, char* buffer, std::size_t size, std::size_t* length,
                         Get&& get) {
    return RunOnScale(name, handle, [&](Scale& scale) {
        std::string text;
        const ErrorCase ecase = get(scale, text);
        return ecase == ErrorCase::Correct ? WriteText(text, buffer, size, length) : ecase;
    });
}

bool KnownParam(std::int32_t param) {
    return param > 0 && param <= static_cast<std::int32_t>(ParamType::Cell);
}

// An output or an input parameter of the last command, by the device's getter of either.
std::int32_t ParamText(const char* name, std::string (driver::Device::*get)(ParamType, ErrorCase&), pdx_scale* handle,
                       std::int32_t param, char* buffer, std::size_t size, std::size_t* length) {
    return TextOfScale(name, handle, buffer, size, length, [&](Scale& scale, std::string& text) {
        if (!KnownParam(param)) return ErrorCase::ParamTypeUnknown;
        ErrorCase ecase = ErrorCase::Correct;
        text = (scale.device.*get)(static_cast<ParamType>(param), ecase);
        return ecase;
    });
}

bool KnownOption(std::int32_t option) {
    return option >= PDX_OPTION_BAUD_RATE && option <= PDX_OPTION_FLOW_CONTROL;
}

}  // namespace

extern "C" {

PDX_API int32_t pdx_create(pdx_scale** handle) {
    return ponderix::Run("pdx_create", [&] {
        if (handle == nullptr) return ErrorCase::IncorrectArgumnts;
        *handle = nullptr;
        *handle = ponderix::ScaleHandles::Instance().Add(std::make_shared<Scale>());
        return ErrorCase::Correct;
    });
}

PDX_API int32_t pdx_destroy(pdx_scale* handle) {
    return ponderix::Run("pdx_destroy", [&] {
        if (handle == nullptr) return ErrorCase::HandleNull;
        return ponderix::ScaleHandles::Instance().Remove(handle) ? ErrorCase::Correct : ErrorCase::HandleDoesNotExist;
    });
}

PDX_API int32_t pdx_open_logic_device(pdx_scale* handle, uint32_t id) {
    return RunOnScale("pdx_open_logic_device", handle, [&](Scale& scale) {
        ErrorCase ecase = ErrorCase::Correct;
        scale.device.Open(id, ecase);
        return Opened(scale, ecase);
    });
}

PDX_API int32_t pdx_open_current(pdx_scale* handle) {
    return RunOnScale("pdx_open_current", handle, [&](Scale& scale) {
        ErrorCase ecase = ErrorCase::Correct;
        const driver::LogicDeviceId id = scale.device.GetCurrentLogicDeviceID(ecase);
        if (ecase == ErrorCase::Correct) scale.device.Open(id, ecase);
        return Opened(scale, ecase);
    });
}

PDX_API int32_t pdx_open_end_point(pdx_scale* handle, const char* end_point, const char* protocol, const char* model,
                                   uint32_t baud_rate) {
    return RunOnScale("pdx_open_end_point", handle, [&](Scale& scale) {
        const std::optional<std::string> endPoint = InputText(end_point);
        const std::optional<std::string> protocolName = protocol ? InputText(protocol) : std::string("auto");
        const std::optional<std::string> modelName = model ? InputText(model) : std::string("auto");
        if (!endPoint || endPoint->empty() || !protocolName || !modelName) return ErrorCase::IncorrectArgumnts;
        if (!driver::ProtocolFromName(OrAuto(protocolName))) return ErrorCase::ParamValueUnknown;
        if (baud_rate != 0 && baud_rate != 4800 && baud_rate != 9600) return ErrorCase::ParamValueUnsupported;
        driver::DeviceConfiguration configuration;
        configuration.connectionType = std::string(endPoint->front() == '/' ? kSerialPort : kTcp);
        configuration.endPoint = *endPoint;
        configuration.baudRate = std::to_string(baud_rate == 0 ? 9600 : baud_rate);
        configuration.model = OrAuto(modelName);
        configuration.protocol = OrAuto(protocolName);
        ErrorCase ecase = ErrorCase::Correct;
        scale.device.OpenEndPoint(configuration, ecase);
        return Opened(scale, ecase);
    });
}

PDX_API int32_t pdx_close(pdx_scale* handle) {
    return RunOnScale("pdx_close", handle, [&](Scale& scale) {
        ErrorCase ecase = ErrorCase::Correct;
        scale.device.Close(ecase);
        return ecase;
    });
}

PDX_API int32_t pdx_is_open(pdx_scale* handle, int32_t* open) {
    return RunOnScale("pdx_is_open", handle, [&](Scale& scale) {
        if (open == nullptr) return ErrorCase::IncorrectArgumnts;
        ErrorCase ecase = ErrorCase::Correct;
        *open = scale.device.IsOpen(ecase) ? 1 : 0;
        return ecase;
    });
}

PDX_API int32_t pdx_protocol(pdx_scale* handle, char* buffer, size_t size, size_t* length) {
    return TextOfScale("pdx_protocol", handle, buffer, size, length, [](Scale& scale, std::string& text) {
        ErrorCase ecase = ErrorCase::Correct;
        text = scale.device.GetProtocol(ecase);
        return ecase;
    });
}

PDX_API int32_t pdx_read(pdx_scale* handle, pdx_reading* reading) {
    return RunOnScale("pdx_read", handle, [&](Scale& scale) {
        if (reading == nullptr) return ErrorCase::IncorrectArgumnts;
        return ponderix::ReadWeight(scale, *reading);
    });
}

PDX_API int32_t pdx_tare(pdx_scale* handle) {
    return RunOnScale("pdx_tare", handle, [](Scale& scale) { return Execute(scale, Command::SetTare); });
}

PDX_API int32_t pdx_zero(pdx_scale* handle) {
    return RunOnScale("pdx_zero", handle, [](Scale& scale) { return Execute(scale, Command::SetZero); });
}

PDX_API int32_t pdx_specify_tare(pdx_scale* handle, uint32_t grams) {
    return RunOnScale("pdx_specify_tare", handle, [&](Scale& scale) {
        return ExecuteWith(scale, Command::SpecifyTare, ParamType::Tare, std::to_string(grams));
    });
}

PDX_API int32_t pdx_setting_get(pdx_scale* handle, int32_t setting, char* buffer, size_t size, size_t* length) {
    return TextOfScale("pdx_setting_get", handle, buffer, size, length, [&](Scale& scale, std::string& text) {
        const ponderix::Setting* found = ponderix::FindSetting(setting);
        if (found == nullptr) return ErrorCase::ParamTypeUnknown;
        return ExecuteAndGet(scale, found->get, found->param, text);
    });
}

PDX_API int32_t pdx_setting_set(pdx_scale* handle, int32_t setting, const char* value) {
    return RunOnScale("pdx_setting_set", handle, [&](Scale& scale) {
        const ponderix::Setting* found = ponderix::FindSetting(setting);
        if (found == nullptr) return ErrorCase::ParamTypeUnknown;
        if (!found->set) return ErrorCase::ParamTypeUnsupported;
        const std::optional<std::string> text = InputText(value);
        if (!text) return ErrorCase::IncorrectArgumnts;
        return ExecuteWith(scale, *found->set, found->param, *text);
    });
}

PDX_API int32_t pdx_calibrate_zero(pdx_scale* handle) {
    return RunOnScale("pdx_calibrate_zero", handle,
                      [](Scale& scale) { return Execute(scale, Command::ZeroScaleCalibration); });
}

PDX_API int32_t pdx_calibrate_weight(pdx_scale* handle, uint32_t grams) {
    return RunOnScale("pdx_calibrate_weight", handle, [&](Scale& scale) {
        // The scale takes whole kilograms as at least four digits.
        if (grams % 1000 != 0 || grams < 3000) return ErrorCase::ParamValueUnsupported;
        std::string kilograms = std::to_string(grams / 1000);
        kilograms.insert(0, kilograms.size() < 4 ? 4 - kilograms.size() : 0, '0');
        return ExecuteWith(scale, Command::SetWeightScaleCalibrationParameters,
                           ParamType::WeightScaleCalibrationParameters, kilograms);
    });
}

PDX_API int32_t pdx_calibration_count(pdx_scale* handle, uint32_t* count) {
    return RunOnScale("pdx_calibration_count", handle, [&](Scale& scale) {
        if (count == nullptr) return ErrorCase::IncorrectArgumnts;
        std::string text;
        const ErrorCase ecase = ExecuteAndGet(scale, Command::GetCountOfCalibration, ParamType::CountOfCalibration, text);
        if (ecase != ErrorCase::Correct) return ecase;
        std::uint32_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc{} || end != text.data() + text.size()) return ErrorCase::DeviceResponseIncorrectFormat;
        *count = value;
        return ErrorCase::Correct;
    });
}

PDX_API int32_t pdx_execute(pdx_scale* handle, int32_t command) {
    return RunOnScale("pdx_execute", handle, [&](Scale& scale) {
        if (command <= 0 || command > static_cast<std::int32_t>(Command::OKASpecifyTare)) return ErrorCase::CommandUnknown;
        return Execute(scale, static_cast<Command>(command));
    });
}

PDX_API int32_t pdx_param_get(pdx_scale* handle, int32_t param, char* buffer, size_t size, size_t* length) {
    return ParamText("pdx_param_get", &driver::Device::GetParam, handle, param, buffer, size, length);
}

PDX_API int32_t pdx_input_param_get(pdx_scale* handle, int32_t param, char* buffer, size_t size, size_t* length) {
    return ParamText("pdx_input_param_get", &driver::Device::GetInputParam, handle, param, buffer, size, length);
}

PDX_API int32_t pdx_param_set(pdx_scale* handle, int32_t param, const char* value) {
    return RunOnScale("pdx_param_set", handle, [&](Scale& scale) {
        if (!KnownParam(param)) return ErrorCase::ParamTypeUnknown;
        const std::optional<std::string> text = InputText(value);
        if (!text) return ErrorCase::IncorrectArgumnts;
        ErrorCase ecase = ErrorCase::Correct;
        scale.device.SetParam(static_cast<ParamType>(param), *text, ecase);
        return ecase;
    });
}

PDX_API int32_t pdx_option_get(pdx_scale* handle, int32_t option, char* buffer, size_t size, size_t* length) {
    return TextOfScale("pdx_option_get", handle, buffer, size, length, [&](Scale& scale, std::string& text) {
        if (!KnownOption(option)) return ErrorCase::OptionUnknown;
        ErrorCase ecase = ErrorCase::Correct;
        text = scale.device.GetOption(static_cast<driver::Option>(option), ecase);
        return ecase;
    });
}

PDX_API int32_t pdx_option_set(pdx_scale* handle, int32_t option, const char* value) {
    return RunOnScale("pdx_option_set", handle, [&](Scale& scale) {
        if (!KnownOption(option)) return ErrorCase::OptionUnknown;
        const std::optional<std::string> text = InputText(value);
        if (!text) return ErrorCase::IncorrectArgumnts;
        ErrorCase ecase = ErrorCase::Correct;
        scale.device.SetOption(static_cast<driver::Option>(option), *text, ecase);
        return ecase;
    });
}

}  // extern "C"
