#pragma once

#include "core/platform/Pasteboard.h"

#include <memory>

class QMimeData;

namespace vistrel {

// The application's clipboard. Types declared together are offered together.
class QtPasteboard : public Pasteboard {
  public:
    QtPasteboard();
    ~QtPasteboard() override;
    void declareTypes(const std::vector<std::string>& types) override;
    void setData(const std::string& type, const std::vector<std::uint8_t>& bytes) override;

  private:
    std::unique_ptr<QMimeData> m_pending;
};

} // namespace vistrel
