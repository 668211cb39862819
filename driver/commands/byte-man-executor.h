#pragma once

#include <list>
#include <vector>

#include "commands/command-executor-by-communicator.h"

namespace driver {

// Byte-template executor: input fields are written over placeholder bytes of the request template,
// output fields are cut from fixed offsets of the reply.
class ByteManExecutor : public CommandExecutorByCommunicator {
public:
    ByteManExecutor(Command command, std::unique_ptr<ICommunicator> communicator, ByteVector requestTemplate,
                    std::list<ByteField> inputFields, std::list<ByteField> outputFields,
                    std::vector<ResponseValidator> validators);

protected:
    ByteVector MakeRequest(CommandContext& context, ErrorCase& err) override;
    ResultMap ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) override;
    std::vector<ResponseValidator> GetResponseValidators() override { return validators_; }

    virtual void PutField(ByteVector& request, const std::string& value, const ByteField& field);
    // ParseResponse checks first that every output field lies inside the reply (else DeviceUnexpectedResponse).
    virtual ByteVector ExtractField(const ByteVector& reply, const ByteField& field);
    virtual std::string GetStringManipulation(const ByteVector& reply, const ByteField& field);

    // True when every output field lies wholly inside the reply.
    bool OutputFieldsInside(const ByteVector& reply) const;

    ByteVector& requestTemplate() { return requestTemplate_; }
    const std::list<ByteField>& inputFields() const { return inputFields_; }
    const std::list<ByteField>& outputFields() const { return outputFields_; }

private:
    ByteVector requestTemplate_;
    std::list<ByteField> inputFields_;
    std::list<ByteField> outputFields_;
    std::vector<ResponseValidator> validators_;
};

}  // namespace driver
