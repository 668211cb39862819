#include "scale-handles.h"

namespace ponderix {

ScaleHandles& ScaleHandles::Instance() {
    // Never destroyed: a caller's thread may still use a scale while the process exits.
    static ScaleHandles* const instance = new ScaleHandles;
    return *instance;
}

pdx_scale* ScaleHandles::Add(std::shared_ptr<Scale> scale) {
    std::lock_guard lock(mutex_);
    const std::uintptr_t number = next_++;
    scales_.emplace(number, std::move(scale));
    return reinterpret_cast<pdx_scale*>(number);
}

std::shared_ptr<Scale> ScaleHandles::Find(pdx_scale* handle) const {
    std::lock_guard lock(mutex_);
    const auto found = scales_.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == scales_.end() ? nullptr : found->second;
}

bool ScaleHandles::Remove(pdx_scale* handle) {
    std::shared_ptr<Scale> removed;
    {
        std::lock_guard lock(mutex_);
        const auto found = scales_.find(reinterpret_cast<std::uintptr_t>(handle));
        if (found == scales_.end()) return false;
        removed = std::move(found->second);
        scales_.erase(found);
    }
    // Closed outside the registry's lock, after a call still running on it has ended.
    std::lock_guard wait(removed->mutex);
    return true;
}

}  // namespace ponderix
