#include "decoder/Confinement.h"
namespace vistrel {
ConfinementReport confineThisProcess(const ConfinementLimits&) {
    return {{}, {"everything (placeholder)"}};
}
void allowCpuSecondsFromNow(unsigned) {}
} // namespace vistrel
