#include "process/FftwPlanner.h"

namespace Process {

std::mutex& fftwPlannerLock() {
    static std::mutex lock;
    return lock;
}

} // namespace Process
