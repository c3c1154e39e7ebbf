#include "media/types/MimeSuffixes.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace vistrel {

namespace fs = std::filesystem;

namespace {

// Parent chains are a handful of steps; a cycle in a broken database ends here.
constexpr int maximumInheritanceDepth = 32;

std::vector<fs::path> dataFolders() {
    std::vector<fs::path> folders;
    const char* home = std::getenv("HOME");
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && *dataHome != '\0')
        folders.emplace_back(dataHome);
    else if (home != nullptr && *home != '\0')
        folders.push_back(fs::path(home) / ".local/share");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::stringstream list(dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share");
    for (std::string folder; std::getline(list, folder, ':');)
        if (!folder.empty())
            folders.emplace_back(folder);
    return folders;
}

// "weight:type:glob[:flags...]"; nothing for comments and malformed lines.
bool splitGlobLine(const std::string& line, std::string& type, std::string& glob) {
    if (line.empty() || line.front() == '#')
        return false;
    const auto first = line.find(':');
    const auto second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos)
        return false;
    type = line.substr(first + 1, second - first - 1);
    const auto end = line.find(':', second + 1);
    glob = line.substr(second + 1, end == std::string::npos ? std::string::npos : end - second - 1);
    return !type.empty() && !glob.empty();
}

// The suffix a pattern names, as QMimeType::suffixes() takes it: "*.ext" with no
// further wildcard; "README", "*.*" and "*.JP?" name none.
std::string suffixOf(const std::string& glob) {
    if (glob.size() <= 2 || glob.compare(0, 2, "*.") != 0)
        return {};
    const std::string suffix = glob.substr(2);
    if (suffix.find_first_of("*?[") != std::string::npos)
        return {};
    return suffix;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// "name other" lines, the first word of each line once.
std::vector<std::pair<std::string, std::string>> readPairs(const fs::path& file) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string first;
        std::string second;
        if (words >> first >> second && first.front() != '#')
            pairs.emplace_back(first, second);
    }
    return pairs;
}

} // namespace

const MimeSuffixes& MimeSuffixes::installed() {
    static const MimeSuffixes database = [] {
        std::vector<fs::path> mimeFolders;
        for (const fs::path& folder : dataFolders())
            mimeFolders.push_back(folder / "mime");
        return fromFolders(mimeFolders);
    }();
    return database;
}

MimeSuffixes MimeSuffixes::fromFolders(const std::vector<fs::path>& mimeFolders) {
    MimeSuffixes database;
    for (const fs::path& folder : mimeFolders)
        database.readFolder(folder);
    return database;
}

void MimeSuffixes::readFolder(const fs::path& folder) {
    // Types an earlier, more important folder listed keep what it gave them.
    std::set<std::string> decidedBefore;
    for (const auto& [type, globs] : m_globs)
        decidedBefore.insert(type);
    std::ifstream globs2(folder / "globs2");
    for (std::string line, type, glob; std::getline(globs2, line);) {
        if (!splitGlobLine(line, type, glob) || decidedBefore.contains(type))
            continue;
        auto [entry, added] = m_globs.try_emplace(type);
        if (added)
            m_typeOrder.push_back(type);
        // A later package took every pattern of this type away.
        if (glob != "__NOGLOBS__")
            entry->second.push_back(glob);
    }
    for (const auto& [alias, canonical] : readPairs(folder / "aliases"))
        m_aliases.try_emplace(alias, canonical);
    std::map<std::string, std::vector<std::string>> parents;
    for (const auto& [type, parent] : readPairs(folder / "subclasses"))
        parents[type].push_back(parent);
    for (auto& [type, list] : parents)
        m_parents.try_emplace(type, std::move(list));
}

std::string MimeSuffixes::canonicalName(const std::string& name) const {
    const auto found = m_aliases.find(name);
    return found == m_aliases.end() ? name : found->second;
}

bool MimeSuffixes::inherits(const std::string& type, const std::string& ancestor) const {
    return inheritsVia(canonicalName(type), canonicalName(ancestor), 0);
}

bool MimeSuffixes::inheritsVia(const std::string& type, const std::string& ancestor, int depth) const {
    if (type == ancestor)
        return true;
    if (depth >= maximumInheritanceDepth)
        return false;
    const auto found = m_parents.find(type);
    if (found == m_parents.end())
        return type.starts_with("text/") && ancestor == "text/plain";
    return std::any_of(found->second.begin(), found->second.end(), [&](const std::string& parent) {
        return inheritsVia(canonicalName(parent), ancestor, depth + 1);
    });
}

std::vector<std::string> MimeSuffixes::of(const std::vector<std::string>& types) const {
    std::vector<std::string> suffixes;
    std::set<std::string> seen;
    for (const std::string& type : types) {
        const auto found = m_globs.find(canonicalName(type));
        if (found == m_globs.end())
            continue;
        for (const std::string& glob : found->second) {
            const std::string suffix = lowerCase(suffixOf(glob));
            if (!suffix.empty() && seen.insert(suffix).second)
                suffixes.push_back(suffix);
        }
    }
    return suffixes;
}

} // namespace vistrel
