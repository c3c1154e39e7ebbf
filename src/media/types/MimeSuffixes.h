#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vistrel {

// The file suffixes the shared MIME database gives each type, read from the small
// summary files every `mime` folder holds (globs2, aliases, subclasses). Asking
// QMimeDatabase the same question parses one XML file per type, which at start-up,
// before the first picture, costs far more than the lists are worth.
class MimeSuffixes {
  public:
    // The database as the desktop sees it: the `mime` folders of XDG_DATA_HOME, then of
    // XDG_DATA_DIRS; the first folder that lists a type decides its suffixes. Read once
    // for the process: the movie and the picture lists both come from it at start-up.
    static const MimeSuffixes& installed();
    // The same from given `mime` folders, first the most important; missing or
    // unreadable files are taken as empty.
    static MimeSuffixes fromFolders(const std::vector<std::filesystem::path>& mimeFolders);

    // Every type that has a file pattern, in the order first met.
    const std::vector<std::string>& typeNames() const { return m_typeOrder; }
    // The type an alias stands for; any other name unchanged.
    std::string canonicalName(const std::string& name) const;
    // Whether `type` is `ancestor` or derives from it, directly or not (every text/*
    // type without stated parents derives from text/plain).
    bool inherits(const std::string& type, const std::string& ancestor) const;
    // Every suffix of `types`, lower-cased, each once, in the order first met; glob
    // patterns among them ("anim[1-9j]") are left out, as they name no one extension.
    std::vector<std::string> of(const std::vector<std::string>& types) const;

  private:
    void readFolder(const std::filesystem::path& folder);
    bool inheritsVia(const std::string& type, const std::string& ancestor, int depth) const;

    std::map<std::string, std::vector<std::string>> m_globs;
    std::vector<std::string> m_typeOrder;
    std::map<std::string, std::string> m_aliases;
    std::map<std::string, std::vector<std::string>> m_parents;
};

} // namespace vistrel
