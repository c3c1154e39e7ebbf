#pragma once

#include <string>

namespace vistrel {

// Modal alerts with one "OK" button, warning style.
class Alerts {
public:
    virtual ~Alerts() = default;
    virtual void showWarning(const std::string& message, const std::string& informativeText) = 0;
};

} // namespace vistrel
