#include "protocols/balvex/bvx-communicator.h"

#include <array>
#include <string>

namespace driver {

ByteVector BvxCommunicator::Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                                        ResponseValidator validator) {
    const std::string text = ToText(request);
    // Only the model read itself; a written value may hold the same letters.
    if (!text.starts_with("Gmode")) {
        return Exchange(context, request, err, std::move(validator));
    }

    // Every exchange resets err, so only the last one decides it; a failed piece is simply missing.
    ByteVector joined = Exchange(context, request, err, validator);
    static const std::array<ByteVector, 3> followUps = {ToBytes("Gmax\r\n"), ToBytes("Gdiv\r\n"), ToBytes("Gprov\r\n")};
    for (const ByteVector& followUp : followUps) {
        const ByteVector reply = Exchange(context, followUp, err, validator);
        joined.insert(joined.end(), reply.begin(), reply.end());
    }
    return joined;
}

}  // namespace driver
