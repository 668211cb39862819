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

}  // namespace ponderixd
