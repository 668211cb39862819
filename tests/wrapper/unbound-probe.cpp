// Calls every facade method while libdriver.so cannot be bound and prints each result code.
#include <cstdio>

#include "permanent.h"

using namespace Norvell::Balvex::CppWrapper;

namespace {
void Print(ErrorCase e) {
    std::printf("%d\n", static_cast<int>(e));
}
}  // namespace

int main() {
    Driver& driver = Driver::getInstanceLib();
    Driver::getInstanceLib();
    ErrorCase e = ErrorCase::Correct;
    driver.openPort(e), Print(e);
    e = ErrorCase::Correct, driver.closePort(e), Print(e);
    e = ErrorCase::Correct, driver.isPortOpen(e), Print(e);
    e = ErrorCase::Correct, driver.exeCommand(Command::StatusOfWeightChannel, e), Print(e);
    e = ErrorCase::Correct, driver.exeGettingCommand(Command::GetMaxWeight, ParamType::MaxWeight, e), Print(e);
    e = ErrorCase::Correct, driver.exeSettingCommand(Command::SetProtocolVersion, ParamType::ProtocolVersion, "1", e);
    Print(e);
    e = ErrorCase::Correct, driver.gettingParam(ParamType::Weight, e), Print(e);
    e = ErrorCase::Correct, driver.getConnectionParam(LogicDeviceParamType::Protocol, e), Print(e);
    e = ErrorCase::Correct, driver.setConnectionParam(LogicDeviceParamType::EndPoint, "/dev/ttyS0", e), Print(e);
    return 0;
}
