// The frame of every pdx_ function: the driver's guard, plus the scale behind a handle.
#pragma once

#include <cstdint>
#include <mutex>

#include "export-guard.h"
#include "ponderix/ponderix.h"
#include "scale-handles.h"

namespace ponderix {

inline constexpr std::string_view kUnit = "ponderix";

template <class Work>
std::int32_t Run(const char* name, Work&& work) {
    driver::ErrorCase ecase = driver::ErrorCase::Correct;
    return driver::RunGuarded(kUnit, name, ecase, [&] { ecase = work(); });
}

// Runs work on the scale behind handle, alone on it.
template <class Work>
std::int32_t RunOnScale(const char* name, pdx_scale* handle, Work&& work) {
    return Run(name, [&] {
        if (handle == nullptr) return driver::ErrorCase::HandleNull;
        const std::shared_ptr<Scale> scale = ScaleHandles::Instance().Find(handle);
        if (!scale) return driver::ErrorCase::HandleDoesNotExist;
        std::lock_guard lock(scale->mutex);
        return work(*scale);
    });
}

}  // namespace ponderix
