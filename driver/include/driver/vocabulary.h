// The driver's vocabulary: result codes, commands, parameters, options and logic-device fields.
// The numbers cross libdriver.so's exports unchanged; the wrapper uses these same types.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace driver {

enum class ErrorCase : std::int32_t {
    Correct = 0,
    Unset = 1,
    ErrorCaseUnknown = 2,
    IncorrectArgumnts = 3,
    ConnectionError = 4,
    UnableToOpenSerialPort = 5,
    BoostErrorUnknown = 6,
    BoostTimeOut = 7,
    HandleNull = 8,
    HandleInvalid = 9,
    HandleDoesNotExist = 10,
    ParamTypeUnknown = 11,
    ParamTypeUnsupported = 12,
    ParamTypeIsNotSetToGet = 13,
    OptionUnknown = 14,
    OptionUnsupported = 15,
    OptionIsNotSetToGet = 16,
    ParamValueUnknown = 17,
    ParamValueUnsupported = 18,
    ParamValueUnset = 19,
    CommandUnknown = 20,
    CommandUnsupported = 21,
    DeviceResponseIncorrectFormat = 22,
    DeviceUnexpectedResponse = 23,
    DeviceReturnsError = 24,
    DeviceIsNotStabilized = 25,
    UnknownExceptionWasCaught = 26,
    OpenCheckValuesIsNotEq = 27,
    JSONKeyMissing = 28,
    JSONAnotherFileExtension = 29,
    JSONFileDoesNotExist = 30,
    JSONFileParsingProblem = 31,
    CommandLineIncorrectArgument = 32,
    UnableToOpenFile = 33,
    WrongModelChosen = 34,
    EscapeClicked = 35,
    LogicDeviceJSONError = 36,
    LogicDeviceNotFound = 37,
    NotAllParamsAreSetInLogicDevice = 38,
};

enum class Command : std::int32_t {
    Unset = 0,
    SetScalesModel,
    GetScalesModel,
    SetFirmwareVersion1,
    GetFirmwareVersion1,
    GetFirmwareVersion2,
    SetProtocolVersion,
    GetProtocolVersion,
    SetSerialNumber,
    GetSerialNumber,
    SetMaxWeight,  // 10
    GetMaxWeight,
    SetDiscret,
    GetDiscret,
    SetValueOfAutoSetToZero,
    GetValueOfAutoSetToZero,
    SetTimeOfAutoSetToZero,
    GetTimeOfAutoSetToZero,
    SetRangeOfAutoSetToZero,
    GetRangeOfAutoSetToZero,
    SetRangeOfKeyToZero,  // 20
    GetRangeOfKeyToZero,
    SetRangeOfTare,
    GetRangeOfTare,
    SetRangeOfOverloads,
    GetRangeOfOverloads,
    SetAutoOff,
    GetAutoOff,
    SetLightLevel,
    GetLightLevel,
    SetWeightCalibration,  // 30
    GetWeightCalibration,
    ZeroScaleCalibration,
    WeightScaleCalibration,
    SetWeightScaleCalibrationParameters,
    Reboot,
    SetCountOfCalibration,
    GetCountOfCalibration,
    SetModeOfCalibration,
    GetModeOfCalibration,
    SetUnitOfMeasure,  // 40
    GetUnitOfMeasure,
    SetUnitOfMeasure2,
    GetUnitOfMeasure2,
    SetPowerSavingMode,
    GetPowerSavingMode,
    Init,
    SetCell1,
    SetCell2,
    GetProtocolAuto,
    StatusOfWeightChannelAuto,  // 50
    StatusOfWeightChannel,
    SetZero,
    SetTare,
    SpecifyTare,
    POSStatusOfWeightChannel,
    CASStatusOfWeightChannel,
    CASActiveStatusOfWeightChannel,
    POSSetZero,
    POSSetTare,
    POSSpecifyTare,  // 60
    CASSetZero,
    CASSetTare,
    OKASetZero,
    OKAStatusOfWeightChannel,
    OKASpecifyTare,  // 65
};

enum class ParamType : std::int32_t {
    Unset = 0,
    ScalesModel,
    FirmwareVersion1,
    FirmwareVersion2,
    ProtocolVersion,
    SerialNumber,
    MaxWeight,
    Discret,
    ValueOfAutoSetToZero,
    TimeOfAutoSetToZero,
    RangeOfAutoSetToZero,  // 10
    RangeOfKeyToZero,
    RangeOfTare,
    RangeOfOverloads,
    AutoOff,
    LightLevel,
    WeightCalibration,
    WeightScaleCalibrationParameters,
    ModeOfCalibration,
    CountOfCalibration,
    UnitOfMeasure,  // 20
    PowerSavingMode,
    WeightState,
    Weight,
    Tare,
    Cell,  // 25
};

enum class Option : std::int32_t {
    Unset = 0,
    BaudRate,
    CharacterSize,
    StopBits,
    Parity,
    FlowControl,
    ReuseAddress,
    KeepAlive,
};

enum class LogicDeviceParamType : std::int32_t {
    IsCurrent = 0,
    ID,
    Name,
    ConnectionType,
    EndPoint,
    BaudRate,
    Model,
    Protocol,
};

enum class Language : std::int32_t {
    Russian = 1,
    English = 2,
};

// Opaque address of a device; 0 means none.
using DeviceHandle = void*;
using LogicDeviceId = std::uint32_t;
using LoggingSettings = std::map<std::string, std::string>;

}  // namespace driver
