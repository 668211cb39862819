#include "protocols/scale-reading.h"

#include "protocols/cas/cas-status.h"
#include "protocols/oka/oka-status.h"
#include "protocols/pos/pos-status.h"

namespace driver {

std::string GramsText(const std::optional<std::int64_t>& grams) {
    return grams ? std::to_string(*grams) : std::string();
}

ResultMap ParamTexts(const ScaleReading& reading) {
    switch (reading.family) {
        case ProtocolFamily::Pos:
            return PosTexts(reading);
        case ProtocolFamily::Cas:
            return CasTexts(reading);
        case ProtocolFamily::Oka:
            return OkaTexts(reading);
        case ProtocolFamily::None:
            break;
    }
    return {};
}

}  // namespace driver
