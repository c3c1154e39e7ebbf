#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vistrel::test {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes (also when a test took its permissions away).
class TemporaryFolder {
  public:
    TemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(std::string_view name) const { return m_path + "/" + std::string(name); }

    // A file in the folder, and its whole content ("" when it cannot be read).
    void write(std::string_view name, std::string_view content) const { writeFile(file(name), content); }
    std::string read(std::string_view name) const { return readFile(file(name)); }

    // Names of everything in the folder, hidden ones included, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(m_path, error))
            result.push_back(entry.path().filename().string());
        std::sort(result.begin(), result.end());
        return result;
    }
    // The same names joined by blanks.
    std::string listing() const {
        std::string joined;
        for (const auto& name : names())
            joined += (joined.empty() ? "" : " ") + name;
        return joined;
    }

    static void writeFile(const std::string& path, std::string_view bytes) {
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string readFile(const std::string& path) {
        std::error_code error;
        const auto size = std::filesystem::file_size(path, error);
        if (error)
            return {};
        std::string content(size, '\0');
        std::ifstream(path, std::ios::binary).read(content.data(), static_cast<std::streamsize>(size));
        return content;
    }

  private:
    std::string m_path;
};

} // namespace vistrel::test
