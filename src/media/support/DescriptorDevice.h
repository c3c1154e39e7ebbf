#pragma once

#include <QIODevice>
#include <string>

namespace vistrel {

// A picture file for Qt's readers, read with pread at a position of its own, so that
// several readers of one file (or of descriptors that share a position) never disturb
// each other. Owns its descriptor. Opened through SourceFiles, so that it works in the
// decoder helper, which may open nothing by name.
class DescriptorDevice final : public QIODevice {
  public:
    // Takes over `descriptor`; the device is open for reading.
    explicit DescriptorDevice(int descriptor);
    ~DescriptorDevice() override;

    // The regular file `path`, open; nullptr when it cannot be read.
    static std::unique_ptr<DescriptorDevice> openRegular(const std::string& path);

    int descriptor() const { return m_descriptor; }
    bool isSequential() const override { return false; }
    qint64 size() const override;

  protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

  private:
    int m_descriptor;
};

} // namespace vistrel
