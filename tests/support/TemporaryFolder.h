#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

namespace vistrel::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(std::string_view name) const { return (m_path / name).string(); }

    // Names in the folder, sorted, hidden ones included.
    std::string listing() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.insert(entry.path().filename().string());
        std::string joined;
        for (const auto& name : names)
            joined += (joined.empty() ? "" : " ") + name;
        return joined;
    }

    static void write(const std::string& path, std::string_view bytes) {
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string read(const std::string& path) {
        std::string bytes;
        if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
            char buffer[4096];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
                bytes.append(buffer, n);
            std::fclose(file);
        }
        return bytes;
    }

  private:
    std::filesystem::path m_path;
};

} // namespace vistrel::test
