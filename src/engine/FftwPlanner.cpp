#include "engine/FftwPlanner.h"

namespace Engine {

std::mutex& fftwPlannerLock() {
    static std::mutex lock;
    return lock;
}

} // namespace Engine
