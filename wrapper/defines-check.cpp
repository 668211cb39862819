// The wrapper's copy of the vocabulary must agree with libdriver.so's, number for number.
#include <driver/driver.h>

#include "cpp-wrapper-defines.h"

namespace {

namespace Wrapper = Norvell::Balvex::CppWrapper;

#define PONDERIX_SAME_NUMBER(Enum, Name)                                                           \
    static_assert(static_cast<long>(Wrapper::Enum::Name) == static_cast<long>(driver::Enum::Name), \
                  #Enum "::" #Name " differs from driver.h")

PONDERIX_SAME_NUMBER(ErrorCase, Correct);
PONDERIX_SAME_NUMBER(ErrorCase, Unset);
PONDERIX_SAME_NUMBER(ErrorCase, ErrorCaseUnknown);
PONDERIX_SAME_NUMBER(ErrorCase, IncorrectArgumnts);
PONDERIX_SAME_NUMBER(ErrorCase, ConnectionError);
PONDERIX_SAME_NUMBER(ErrorCase, UnableToOpenSerialPort);
PONDERIX_SAME_NUMBER(ErrorCase, BoostErrorUnknown);
PONDERIX_SAME_NUMBER(ErrorCase, BoostTimeOut);
PONDERIX_SAME_NUMBER(ErrorCase, HandleNull);
PONDERIX_SAME_NUMBER(ErrorCase, HandleInvalid);
PONDERIX_SAME_NUMBER(ErrorCase, HandleDoesNotExist);
PONDERIX_SAME_NUMBER(ErrorCase, ParamTypeUnknown);
PONDERIX_SAME_NUMBER(ErrorCase, ParamTypeUnsupported);
PONDERIX_SAME_NUMBER(ErrorCase, ParamTypeIsNotSetToGet);
PONDERIX_SAME_NUMBER(ErrorCase, OptionUnknown);
PONDERIX_SAME_NUMBER(ErrorCase, OptionUnsupported);
PONDERIX_SAME_NUMBER(ErrorCase, OptionIsNotSetToGet);
PONDERIX_SAME_NUMBER(ErrorCase, ParamValueUnknown);
PONDERIX_SAME_NUMBER(ErrorCase, ParamValueUnsupported);
PONDERIX_SAME_NUMBER(ErrorCase, ParamValueUnset);
PONDERIX_SAME_NUMBER(ErrorCase, CommandUnknown);
PONDERIX_SAME_NUMBER(ErrorCase, CommandUnsupported);
PONDERIX_SAME_NUMBER(ErrorCase, DeviceResponseIncorrectFormat);
PONDERIX_SAME_NUMBER(ErrorCase, DeviceUnexpectedResponse);
PONDERIX_SAME_NUMBER(ErrorCase, DeviceReturnsError);
PONDERIX_SAME_NUMBER(ErrorCase, DeviceIsNotStabilized);
PONDERIX_SAME_NUMBER(ErrorCase, UnknownExceptionWasCaught);
PONDERIX_SAME_NUMBER(ErrorCase, OpenCheckValuesIsNotEq);
PONDERIX_SAME_NUMBER(ErrorCase, JSONKeyMissing);
PONDERIX_SAME_NUMBER(ErrorCase, JSONAnotherFileExtension);
PONDERIX_SAME_NUMBER(ErrorCase, JSONFileDoesNotExist);
PONDERIX_SAME_NUMBER(ErrorCase, JSONFileParsingProblem);
PONDERIX_SAME_NUMBER(ErrorCase, CommandLineIncorrectArgument);
PONDERIX_SAME_NUMBER(ErrorCase, UnableToOpenFile);
PONDERIX_SAME_NUMBER(ErrorCase, WrongModelChosen);
PONDERIX_SAME_NUMBER(ErrorCase, EscapeClicked);
PONDERIX_SAME_NUMBER(ErrorCase, LogicDeviceJSONError);
PONDERIX_SAME_NUMBER(ErrorCase, LogicDeviceNotFound);
PONDERIX_SAME_NUMBER(ErrorCase, NotAllParamsAreSetInLogicDevice);

PONDERIX_SAME_NUMBER(Command, Unset);
PONDERIX_SAME_NUMBER(Command, SetScalesModel);
PONDERIX_SAME_NUMBER(Command, GetScalesModel);
PONDERIX_SAME_NUMBER(Command, SetFirmwareVersion1);
PONDERIX_SAME_NUMBER(Command, GetFirmwareVersion1);
PONDERIX_SAME_NUMBER(Command, GetFirmwareVersion2);
PONDERIX_SAME_NUMBER(Command, SetProtocolVersion);
PONDERIX_SAME_NUMBER(Command, GetProtocolVersion);
PONDERIX_SAME_NUMBER(Command, SetSerialNumber);
PONDERIX_SAME_NUMBER(Command, GetSerialNumber);
PONDERIX_SAME_NUMBER(Command, SetMaxWeight);
PONDERIX_SAME_NUMBER(Command, GetMaxWeight);
PONDERIX_SAME_NUMBER(Command, SetDiscret);
PONDERIX_SAME_NUMBER(Command, GetDiscret);
PONDERIX_SAME_NUMBER(Command, SetValueOfAutoSetToZero);
PONDERIX_SAME_NUMBER(Command, GetValueOfAutoSetToZero);
PONDERIX_SAME_NUMBER(Command, SetTimeOfAutoSetToZero);
PONDERIX_SAME_NUMBER(Command, GetTimeOfAutoSetToZero);
PONDERIX_SAME_NUMBER(Command, SetRangeOfAutoSetToZero);
PONDERIX_SAME_NUMBER(Command, GetRangeOfAutoSetToZero);
PONDERIX_SAME_NUMBER(Command, SetRangeOfKeyToZero);
PONDERIX_SAME_NUMBER(Command, GetRangeOfKeyToZero);
PONDERIX_SAME_NUMBER(Command, SetRangeOfTare);
PONDERIX_SAME_NUMBER(Command, GetRangeOfTare);
PONDERIX_SAME_NUMBER(Command, SetRangeOfOverloads);
PONDERIX_SAME_NUMBER(Command, GetRangeOfOverloads);
PONDERIX_SAME_NUMBER(Command, SetAutoOff);
PONDERIX_SAME_NUMBER(Command, GetAutoOff);
PONDERIX_SAME_NUMBER(Command, SetLightLevel);
PONDERIX_SAME_NUMBER(Command, GetLightLevel);
PONDERIX_SAME_NUMBER(Command, SetWeightCalibration);
PONDERIX_SAME_NUMBER(Command, GetWeightCalibration);
PONDERIX_SAME_NUMBER(Command, ZeroScaleCalibration);
PONDERIX_SAME_NUMBER(Command, WeightScaleCalibration);
PONDERIX_SAME_NUMBER(Command, SetWeightScaleCalibrationParameters);
PONDERIX_SAME_NUMBER(Command, Reboot);
PONDERIX_SAME_NUMBER(Command, SetCountOfCalibration);
PONDERIX_SAME_NUMBER(Command, GetCountOfCalibration);
PONDERIX_SAME_NUMBER(Command, SetModeOfCalibration);
PONDERIX_SAME_NUMBER(Command, GetModeOfCalibration);
PONDERIX_SAME_NUMBER(Command, SetUnitOfMeasure);
PONDERIX_SAME_NUMBER(Command, GetUnitOfMeasure);
PONDERIX_SAME_NUMBER(Command, SetUnitOfMeasure2);
PONDERIX_SAME_NUMBER(Command, GetUnitOfMeasure2);
PONDERIX_SAME_NUMBER(Command, SetPowerSavingMode);
PONDERIX_SAME_NUMBER(Command, GetPowerSavingMode);
PONDERIX_SAME_NUMBER(Command, Init);
PONDERIX_SAME_NUMBER(Command, SetCell1);
PONDERIX_SAME_NUMBER(Command, SetCell2);
PONDERIX_SAME_NUMBER(Command, GetProtocolAuto);
PONDERIX_SAME_NUMBER(Command, StatusOfWeightChannelAuto);
PONDERIX_SAME_NUMBER(Command, StatusOfWeightChannel);
PONDERIX_SAME_NUMBER(Command, SetZero);
PONDERIX_SAME_NUMBER(Command, SetTare);
PONDERIX_SAME_NUMBER(Command, SpecifyTare);
PONDERIX_SAME_NUMBER(Command, POSStatusOfWeightChannel);
PONDERIX_SAME_NUMBER(Command, CASStatusOfWeightChannel);
PONDERIX_SAME_NUMBER(Command, CASActiveStatusOfWeightChannel);
PONDERIX_SAME_NUMBER(Command, POSSetZero);
PONDERIX_SAME_NUMBER(Command, POSSetTare);
PONDERIX_SAME_NUMBER(Command, POSSpecifyTare);
PONDERIX_SAME_NUMBER(Command, CASSetZero);
PONDERIX_SAME_NUMBER(Command, CASSetTare);
PONDERIX_SAME_NUMBER(Command, OKASetZero);
PONDERIX_SAME_NUMBER(Command, OKAStatusOfWeightChannel);
PONDERIX_SAME_NUMBER(Command, OKASpecifyTare);

PONDERIX_SAME_NUMBER(ParamType, Unset);
PONDERIX_SAME_NUMBER(ParamType, ScalesModel);
PONDERIX_SAME_NUMBER(ParamType, FirmwareVersion1);
PONDERIX_SAME_NUMBER(ParamType, FirmwareVersion2);
PONDERIX_SAME_NUMBER(ParamType, ProtocolVersion);
PONDERIX_SAME_NUMBER(ParamType, SerialNumber);
PONDERIX_SAME_NUMBER(ParamType, MaxWeight);
PONDERIX_SAME_NUMBER(ParamType, Discret);
PONDERIX_SAME_NUMBER(ParamType, ValueOfAutoSetToZero);
PONDERIX_SAME_NUMBER(ParamType, TimeOfAutoSetToZero);
PONDERIX_SAME_NUMBER(ParamType, RangeOfAutoSetToZero);
PONDERIX_SAME_NUMBER(ParamType, RangeOfKeyToZero);
PONDERIX_SAME_NUMBER(ParamType, RangeOfTare);
PONDERIX_SAME_NUMBER(ParamType, RangeOfOverloads);
PONDERIX_SAME_NUMBER(ParamType, AutoOff);
PONDERIX_SAME_NUMBER(ParamType, LightLevel);
PONDERIX_SAME_NUMBER(ParamType, WeightCalibration);
PONDERIX_SAME_NUMBER(ParamType, WeightScaleCalibrationParameters);
PONDERIX_SAME_NUMBER(ParamType, ModeOfCalibration);
PONDERIX_SAME_NUMBER(ParamType, CountOfCalibration);
PONDERIX_SAME_NUMBER(ParamType, UnitOfMeasure);
PONDERIX_SAME_NUMBER(ParamType, PowerSavingMode);
PONDERIX_SAME_NUMBER(ParamType, WeightState);
PONDERIX_SAME_NUMBER(ParamType, Weight);
PONDERIX_SAME_NUMBER(ParamType, Tare);
PONDERIX_SAME_NUMBER(ParamType, Cell);

PONDERIX_SAME_NUMBER(Option, Unset);
PONDERIX_SAME_NUMBER(Option, BaudRate);
PONDERIX_SAME_NUMBER(Option, CharacterSize);
PONDERIX_SAME_NUMBER(Option, StopBits);
PONDERIX_SAME_NUMBER(Option, Parity);
PONDERIX_SAME_NUMBER(Option, FlowControl);
PONDERIX_SAME_NUMBER(Option, ReuseAddress);
PONDERIX_SAME_NUMBER(Option, KeepAlive);

PONDERIX_SAME_NUMBER(LogicDeviceParamType, IsCurrent);
PONDERIX_SAME_NUMBER(LogicDeviceParamType, ID);
PONDERIX_SAME_NUMBER(LogicDeviceParamType, Name);
PONDERIX_SAME_NUMBER(LogicDeviceParamType, ConnectionType);
PONDERIX_SAME_NUMBER(LogicDeviceParamType, EndPoint);
PONDERIX_SAME_NUMBER(LogicDeviceParamType, BaudRate);
PONDERIX_SAME_NUMBER(LogicDeviceParamType, Model);
PONDERIX_SAME_NUMBER(LogicDeviceParamType, Protocol);

PONDERIX_SAME_NUMBER(Language, Russian);
PONDERIX_SAME_NUMBER(Language, English);

#undef PONDERIX_SAME_NUMBER

}  // namespace
