#include "defines.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "driver-error.h"
#include "driver/error-names.h"

namespace driver {

namespace {

using Texts = std::vector<std::string>;
using DescriptionTable = std::map<ErrorCase, std::wstring>;

// The tables are numbered from 0 without gaps, so the value is the index.
template <class Enum>
const std::string& Lookup(const Texts& texts, Enum value, ErrorCase code, const char* message) {
    const auto index = static_cast<std::int64_t>(value);
    if (index < 0 || index >= static_cast<std::int64_t>(texts.size())) throw DriverError(code, message);
    return texts[static_cast<std::size_t>(index)];
}

DescriptionTable RussianDescriptions() {
    // The Latin "Ta" and final "a" in the two Boost texts are intended; keep them byte for byte.
    return {
        {ErrorCase::Correct, L"Успешно"},
        {ErrorCase::Unset, L"Ошибка не установлена"},
        {ErrorCase::IncorrectArgumnts, L"Техническая проблема, передан неверный аргумент"},
        {ErrorCase::ConnectionError, L"Ошибка подключения"},
        {ErrorCase::UnableToOpenSerialPort, L"Не удается открыть серийный порт"},
        {ErrorCase::BoostErrorUnknown, L"Неизвестная ошибка Boost-a"},
        {ErrorCase::BoostTimeOut, L"Taйм-аут Boost-a"},
        {ErrorCase::HandleNull, L"Техническая проблема, данные неверны: HandleNull"},
        {ErrorCase::HandleInvalid, L"Техническая проблема, данные неверны: HandleInvalid"},
        {ErrorCase::HandleDoesNotExist, L"Техническая проблема, данные неверны: HandleDoesNotExist"},
        {ErrorCase::ParamTypeUnknown, L"Неизвестный тип параметра"},
        {ErrorCase::ParamTypeUnsupported, L"Параметр не поддерживается"},
        {ErrorCase::ParamTypeIsNotSetToGet, L"Параметр не установлен"},
        {ErrorCase::OptionUnknown, L"Опция неизвестна"},
        {ErrorCase::OptionUnsupported, L"Опция не поддерживается"},
        {ErrorCase::OptionIsNotSetToGet, L"Опция не установлена"},
        {ErrorCase::ParamValueUnknown, L"Значение параметра неизвестно"},
        {ErrorCase::ParamValueUnsupported, L"Значение параметра не поддерживается"},
        {ErrorCase::ParamValueUnset, L"Значение параметра не установлено"},
        {ErrorCase::CommandUnknown, L"Неизвестная команда"},
        {ErrorCase::CommandUnsupported, L"Команда не поддерживается"},
        {ErrorCase::DeviceResponseIncorrectFormat, L"Неверный формат ответа устройства"},
        {ErrorCase::DeviceUnexpectedResponse, L"Неожиданный ответ устройства"},
        {ErrorCase::DeviceReturnsError, L"Устройство вернуло ошибку"},
        {ErrorCase::DeviceIsNotStabilized, L"Устройство не стабилизировано"},
        {ErrorCase::UnknownExceptionWasCaught, L"Возникла неизвестная ошибка"},
        {ErrorCase::OpenCheckValuesIsNotEq,
         L"Не удалось подключиться. (Может быть, указана неверная модель или протокол)"},
        {ErrorCase::JSONKeyMissing, L"Отсутствует JSON ключ"},
        {ErrorCase::JSONAnotherFileExtension, L"Другое расширение JSON файла"},
        {ErrorCase::JSONFileDoesNotExist, L"JSON файл не существует"},
        {ErrorCase::JSONFileParsingProblem, L"Проблема парсинга JSON файла"},
        {ErrorCase::CommandLineIncorrectArgument, L"Неправильный аргумент коммандной строки"},
        {ErrorCase::UnableToOpenFile, L"Не удалось открыть файл"},
        {ErrorCase::WrongModelChosen, L"Выбрана неправильная модель"},
        {ErrorCase::EscapeClicked, L"Кнопка Escape нажата"},
        {ErrorCase::LogicDeviceJSONError, L"Ошибка в JSON файле логических устройств"},
        {ErrorCase::LogicDeviceNotFound, L"Логическое устройство не найдено"},
        {ErrorCase::NotAllParamsAreSetInLogicDevice, L"Не заданы все необходимые параметры логического устройства"},
    };
}

DescriptionTable EnglishDescriptions() {
    return {
        {ErrorCase::Correct, L"Success"},
        {ErrorCase::Unset, L"Error not set"},
        {ErrorCase::IncorrectArgumnts, L"Technical issue, incorrect argument passed"},
        {ErrorCase::ConnectionError, L"Connection error"},
        {ErrorCase::UnableToOpenSerialPort, L"Unable to open serial port"},
        {ErrorCase::BoostErrorUnknown, L"Unknown Boost error"},
        {ErrorCase::BoostTimeOut, L"Boost timeout"},
        {ErrorCase::HandleNull, L"Technical issue, data is invalid: HandleNull"},
        {ErrorCase::HandleInvalid, L"Technical issue, data is invalid: HandleInvalid"},
        {ErrorCase::HandleDoesNotExist, L"Technical issue, data is invalid: HandleDoesNotExist"},
        {ErrorCase::ParamTypeUnknown, L"Unknown parameter type"},
        {ErrorCase::ParamTypeUnsupported, L"Parameter not supported"},
        {ErrorCase::ParamTypeIsNotSetToGet, L"Parameter not set"},
        {ErrorCase::OptionUnknown, L"Option unknown"},
        {ErrorCase::OptionUnsupported, L"Option unsupported"},
        {ErrorCase::OptionIsNotSetToGet, L"Option is not set to get"},
        {ErrorCase::ParamValueUnknown, L"Unknown parameter value"},
        {ErrorCase::ParamValueUnsupported, L"Parameter value not supported"},
        {ErrorCase::ParamValueUnset, L"Parameter value not set"},
        {ErrorCase::CommandUnknown, L"Unknown command"},
        {ErrorCase::CommandUnsupported, L"Command not supported"},
        {ErrorCase::DeviceResponseIncorrectFormat, L"Incorrect device response format"},
        {ErrorCase::DeviceUnexpectedResponse, L"Unexpected device response"},
        {ErrorCase::DeviceReturnsError, L"Device returns an error"},
        {ErrorCase::DeviceIsNotStabilized, L"Device is not stabilized"},
        {ErrorCase::UnknownExceptionWasCaught, L"Unknown exception was caught"},
        {ErrorCase::JSONKeyMissing, L"JSON key missing"},
        {ErrorCase::JSONAnotherFileExtension, L"JSON another file extension"},
        {ErrorCase::JSONFileDoesNotExist, L"JSON file does not exist"},
        {ErrorCase::JSONFileParsingProblem, L"JSON file parsing problem"},
        {ErrorCase::CommandLineIncorrectArgument, L"Command line incorrect argument"},
        {ErrorCase::UnableToOpenFile, L"Unable to open file"},
        {ErrorCase::WrongModelChosen, L"Wrong model chosen"},
        {ErrorCase::EscapeClicked, L"Escape button clicked"},
        {ErrorCase::LogicDeviceJSONError, L"Logic device JSON error"},
        {ErrorCase::LogicDeviceNotFound, L"Logic device not found"},
        {ErrorCase::NotAllParamsAreSetInLogicDevice, L"Not all parameters are set in logic device"},
    };
}

// Built once and only read afterwards, so lookups from several threads need no lock.
const std::map<std::int32_t, DescriptionTable>& Descriptions() {
    static const std::map<std::int32_t, DescriptionTable> tables{
        {static_cast<std::int32_t>(Language::Russian), RussianDescriptions()},
        {static_cast<std::int32_t>(Language::English), EnglishDescriptions()},
    };
    return tables;
}

// Names of the commands, indexed by their numbers.
constexpr std::array<std::string_view, 66> kCommandNames = {
    "Unset",
    "SetScalesModel",
    "GetScalesModel",
    "SetFirmwareVersion1",
    "GetFirmwareVersion1",
    "GetFirmwareVersion2",
    "SetProtocolVersion",
    "GetProtocolVersion",
    "SetSerialNumber",
    "GetSerialNumber",
    "SetMaxWeight",
    "GetMaxWeight",
    "SetDiscret",
    "GetDiscret",
    "SetValueOfAutoSetToZero",
    "GetValueOfAutoSetToZero",
    "SetTimeOfAutoSetToZero",
    "GetTimeOfAutoSetToZero",
    "SetRangeOfAutoSetToZero",
    "GetRangeOfAutoSetToZero",
    "SetRangeOfKeyToZero",
    "GetRangeOfKeyToZero",
    "SetRangeOfTare",
    "GetRangeOfTare",
    "SetRangeOfOverloads",
    "GetRangeOfOverloads",
    "SetAutoOff",
    "GetAutoOff",
    "SetLightLevel",
    "GetLightLevel",
    "SetWeightCalibration",
    "GetWeightCalibration",
    "ZeroScaleCalibration",
    "WeightScaleCalibration",
    "SetWeightScaleCalibrationParameters",
    "Reboot",
    "SetCountOfCalibration",
    "GetCountOfCalibration",
    "SetModeOfCalibration",
    "GetModeOfCalibration",
    "SetUnitOfMeasure",
    "GetUnitOfMeasure",
    "SetUnitOfMeasure2",
    "GetUnitOfMeasure2",
    "SetPowerSavingMode",
    "GetPowerSavingMode",
    "Init",
    "SetCell1",
    "SetCell2",
    "GetProtocolAuto",
    "StatusOfWeightChannelAuto",
    "StatusOfWeightChannel",
    "SetZero",
    "SetTare",
    "SpecifyTare",
    "POSStatusOfWeightChannel",
    "CASStatusOfWeightChannel",
    "CASActiveStatusOfWeightChannel",
    "POSSetZero",
    "POSSetTare",
    "POSSpecifyTare",
    "CASSetZero",
    "CASSetTare",
    "OKASetZero",
    "OKAStatusOfWeightChannel",
    "OKASpecifyTare",
};

}  // namespace

const std::string& ToString(ErrorCase value) {
    static const Texts texts(kErrorCaseNames.begin(), kErrorCaseNames.end());
    return Lookup(texts, value, ErrorCase::IncorrectArgumnts, "Func ToString(ErrorCase ecase), ecase is not valid.");
}

const std::string& ToString(Command value) {
    static const Texts texts(kCommandNames.begin(), kCommandNames.end());
    return Lookup(texts, value, ErrorCase::CommandUnknown, "Func ToString(Command value), value is not valid.");
}

const std::string& ToString(ParamType value) {
    static const Texts texts{
        "Unset",
        "ScalesModel",
        "FirmwareVersion1",
        "FirmwareVersion2",
        "ProtocolVersion",
        "SerialNumber",
        "MaxWeight",
        "Discret",
        "ValueOfAutoSetToZero",
        "TimeOfAutoSetToZero",
        "RangeOfAutoSetToZero",
        "RangeOfKeyToZero",
        "RangeOfTare",
        "RangeOfOverloads",
        "AutoOff",
        "LightLevel",
        "WeightCalibration",
        "WeightScaleCalibrationParameters",
        "ModeOfCalibration",
        "CountOfCalibration",
        "UnitOfMeasure",
        "PowerSavingMode",
        "WeightState",
        "Weight",
        "Tare",
        "Cell",
    };
    return Lookup(texts, value, ErrorCase::ParamTypeUnknown, "Func ToString(ParamType value), value is not valid.");
}

const std::string& ToString(Option value) {
    static const Texts texts{
        "Unset", "BaudRate", "CharacterSize", "StopBits", "Parity", "FlowControl", "ReuseAddress", "KeepAlive",
    };
    return Lookup(texts, value, ErrorCase::OptionUnknown, "Func ToString(Option value), value is not valid.");
}

const std::string& ToString(LogicDeviceParamType value) {
    static const Texts texts{
        "IsCurrent", "ID", "Name", "ConnectionType", "EndPoint", "BaudRate", "Model", "Protocol",
    };
    return Lookup(texts, value, ErrorCase::IncorrectArgumnts,
                  "Func ToString(LogicDeviceParamType value), value is not valid.");
}

const std::string& ToJsonString(LogicDeviceParamType value) {
    static const char* const message = "Func ToJsonString(LogicDeviceParamType value), value is not valid.";
    // ID is the object's own key in the file, so it has no field name.
    static const Texts texts{
        "is-current", "", "name", "connection-type", "end-point", "baud-rate", "model", "protocol",
    };
    const std::string& text = Lookup(texts, value, ErrorCase::IncorrectArgumnts, message);
    if (text.empty()) throw DriverError(ErrorCase::IncorrectArgumnts, message);
    return text;
}

const std::wstring& Description(ErrorCase value, std::int32_t language) {
    const auto& tables = Descriptions();
    const auto table = tables.find(language);
    if (table == tables.end()) {
        throw DriverError(ErrorCase::IncorrectArgumnts,
                          "Norvell::Balvex::Driver::defines, Description() the language: " + std::to_string(language) +
                              " is not supported");
    }
    const auto text = table->second.find(value);
    if (text == table->second.end()) {
        throw DriverError(ErrorCase::IncorrectArgumnts,
                          "Norvell::Balvex::Driver::defines, Description() the error-case: " +
                              std::to_string(static_cast<std::int32_t>(value)) + " is not supported");
    }
    return text->second;
}

}  // namespace driver
