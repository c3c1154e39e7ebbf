#pragma once

#include <string>

namespace vistrel {

// Modal alerts with one button (warning style), "OK" unless told otherwise.
class Alerts {
public:
    virtual ~Alerts() = default;
    virtual void showWarning(const std::string& message, const std::string& informativeText,
                             const std::string& button = "OK") = 0;
};

} // namespace vistrel
