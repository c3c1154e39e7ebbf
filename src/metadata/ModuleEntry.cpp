#include "media/modules/PictureMetadataEngine.h"
#include "metadata/ExivMetadata.h"

namespace {

class ExivMetadataEngine final : public vistrel::PictureMetadataEngine {
  public:
    std::unique_ptr<vistrel::PictureMetadata> readMetadata(const std::string& path, int descriptor) override {
        return std::make_unique<vistrel::ExivMetadata>(path, descriptor);
    }
};

} // namespace

// The module's entry point, looked up by name once the module is loaded.
extern "C" __attribute__((visibility("default"))) vistrel::PictureMetadataEngine*
vistrel_create_picture_metadata_engine() {
    return new ExivMetadataEngine;
}
