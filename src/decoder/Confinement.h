#pragma once
// placeholder until the confinement unit lands
#include <cstdint>
#include <string>
#include <vector>
namespace vistrel {
struct ConfinementLimits {
    std::uint64_t addressSpaceBytes;
};
struct ConfinementReport {
    std::vector<std::string> applied;
    std::vector<std::string> missing;
};
ConfinementReport confineThisProcess(const ConfinementLimits&);
void allowCpuSecondsFromNow(unsigned seconds);
} // namespace vistrel
