#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <string>
#include <system_error>
#include <vector>

namespace vistrel::test {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

    void write(const std::string& name, const std::string& content) const {
        std::ofstream(file(name), std::ios::binary) << content;
    }
    // The whole content of a file, "" when it cannot be read.
    std::string read(const std::string& name) const {
        std::error_code error;
        const auto size = std::filesystem::file_size(file(name), error);
        if (error)
            return {};
        std::string content(size, '\0');
        std::ifstream(file(name), std::ios::binary).read(content.data(), static_cast<std::streamsize>(size));
        return content;
    }
    // Names of everything in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(m_path, error))
            result.push_back(entry.path().filename().string());
        std::sort(result.begin(), result.end());
        return result;
    }

  private:
    std::string m_path;
};

} // namespace vistrel::test
