// The scales behind the C interface's handles. A handle is a number that is never reused, looked
// up on every call: a destroyed or made-up handle is refused, never dereferenced.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "device.h"
#include "driver/reading.h"

struct pdx_scale;

namespace ponderix {

struct Scale {
    std::mutex mutex;  // one call at a time on a scale
    driver::Device device;
    driver::Reading reading;            // kept between reads, as a display keeps what it showed
    std::optional<double> maxWeightKg;  // the service protocol's maximum tells an overload
};

class ScaleHandles {
public:
    static ScaleHandles& Instance();

    pdx_scale* Add(std::shared_ptr<Scale> scale);
    // The scale stays alive while the caller holds it, even if the handle is destroyed meanwhile.
    std::shared_ptr<Scale> Find(pdx_scale* handle) const;
    bool Remove(pdx_scale* handle);

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::uintptr_t, std::shared_ptr<Scale>> scales_;
    std::uintptr_t next_ = 1;
};

}  // namespace ponderix
