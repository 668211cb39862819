#include "commands/retail-executors.h"

#include "commands/dialog-communicator.h"
#include "commands/one-way-request-communication.h"
#include "commands/one-way-response-communicator.h"
#include "commands/wire-bytes.h"
#include "protocols/cas/cas-active-command-executor.h"
#include "protocols/cas/cas-command-executor.h"
#include "protocols/cas/cas-frame.h"
#include "protocols/oka/oka-command-executor.h"
#include "protocols/oka/oka-communicator.h"
#include "protocols/pos/pos-command-executor.h"
#include "protocols/pos/pos-communicator.h"
#include "protocols/pos/pos-validators.h"

namespace driver {

namespace {

using Fields = std::list<ByteField>;
using Validators = std::vector<ResponseValidator>;

std::unique_ptr<ICommandExecutor> MakePOS(Command command, ByteVector request, Fields input, Fields output,
                                          ResponseValidator validator) {
    return std::make_unique<POSCommandExecutor>(command, std::make_unique<POSCommunicator>(), std::move(request),
                                                std::move(input), std::move(output), Validators{validator});
}

std::unique_ptr<ICommandExecutor> MakeCASStatus() {
    // ENQ first; the scale's ACK opens the data request.
    auto dialog = std::make_unique<DialogCommunicator>(
        std::list<DialogStep>{{ToText({wire::kEnq}), ToText({wire::kAck})}}, std::make_unique<DefaultCommunicator>());
    return std::make_unique<CASCommandExecutor>(Command::CASStatusOfWeightChannel, std::move(dialog),
                                                ByteVector{wire::kDc1}, Fields{}, Fields{},
                                                Validators{CASStatusOfWeightChannelResponseValidator});
}

std::unique_ptr<ICommandExecutor> MakeCASKey(Command command, std::string_view text) {
    return std::make_unique<CASCommandExecutor>(command, std::make_unique<OneWayRequestCommunication>(), ToBytes(text),
                                                Fields{}, Fields{}, Validators{AcceptAnyResponseValidator});
}

}  // namespace

std::unique_ptr<ICommandExecutor> CreateRetailCommandExecutor(Command command) {
    using P = ParamType;
    switch (command) {
        case Command::POSStatusOfWeightChannel:
            return MakePOS(command, {wire::kStx, 0x05, 0x3A, 0x30, 0x30, 0x33, 0x30, 0x3C}, {},
                           {{5, 2, P::WeightState}, {7, 4, P::Weight}, {11, 2, P::Tare}},
                           POSStatusOfWeightChannelResponseValidator);
        case Command::POSSetZero:
            return MakePOS(command, {wire::kStx, 0x05, 0x30, 0x30, 0x30, 0x33, 0x30, 0x36}, {}, {},
                           POSSetZeroResponseValidator);
        case Command::POSSetTare:
            return MakePOS(command, {wire::kStx, 0x05, 0x31, 0x30, 0x30, 0x33, 0x30, 0x37}, {}, {},
                           POSSetTareResponseValidator);
        case Command::POSSpecifyTare:
            return MakePOS(command, {wire::kEnq, wire::kStx, 0x07, 0x32, 0x30, 0x30, 0x33, 0x30, 0x00, 0x00, 0x00},
                           {{8, 2, P::Tare}}, {}, POSSpecifyTareResponseValidator);
        case Command::CASStatusOfWeightChannel:
            return MakeCASStatus();
        case Command::CASActiveStatusOfWeightChannel:
            return std::make_unique<CASActiveCommandExecutor>(
                command, std::make_unique<OneWayResponseCommunicator>(), ByteVector{}, Fields{}, Fields{},
                Validators{CASActiveStatusOfWeightChannelResponseValidator});
        case Command::CASSetZero:
            return MakeCASKey(command, "<ZK>\t");
        case Command::CASSetTare:
            return MakeCASKey(command, "<TK>\t");
        case Command::OKASetZero: {
            ByteVector request(15, 0x00);
            request.push_back(0x01);
            return std::make_unique<ByteManExecutor>(command, std::make_unique<OneWayRequestCommunication>(),
                                                     std::move(request), Fields{}, Fields{},
                                                     Validators{AcceptAnyResponseValidator});
        }
        case Command::OKAStatusOfWeightChannel:
            return std::make_unique<OKACommandExecutor>(
                command, std::make_unique<OKACommunicator>(), ByteVector{}, Fields{},
                Fields{{0, 6, P::Weight}, {6, 1, P::WeightState}, {7, 6, P::Tare}},
                Validators{AcceptAnyResponseValidator});
        case Command::OKASpecifyTare:
            return std::make_unique<OKACommandExecutor>(command, std::make_unique<OneWayRequestCommunication>(),
                                                        ByteVector{0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
                                                        Fields{{1, 6, P::Tare}}, Fields{},
                                                        Validators{AcceptAnyResponseValidator});
        default:
            return nullptr;
    }
}

}  // namespace driver
