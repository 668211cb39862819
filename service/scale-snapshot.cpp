#include "scale-snapshot.h"

namespace ponderixd {

const char* LineStateName(LineState state) {
    switch (state) {
        case LineState::Opening:
            return "opening";
        case LineState::Online:
            return "online";
        case LineState::Silent:
            return "silent";
        case LineState::Lost:
            return "lost";
    }
    return "lost";
}

bool LineFailed(std::int32_t code) {
    return code == PDX_TIMEOUT || code == PDX_CONNECTION_ERROR || code == PDX_UNABLE_TO_OPEN_SERIAL_PORT;
}

}  // namespace ponderixd
