#include "core/intake/FolderScanner.h"

#include "core/intake/NaturalNameOrder.h"
#include "core/playlist/PathComponents.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <numeric>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace vistrel {

namespace {

// Folders deeper than this below the innermost one give their descriptors back and
// are opened again by path when the scan returns to them: a deep tree must not use
// up the process's descriptors.
constexpr std::size_t openFolderLimit = 32;

std::string reasonOf(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// An open file descriptor, closed when the object goes.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

  private:
    int m_fd;
};

// A name in a folder the scan keeps: listed as an entry, entered as a folder, or both.
struct Child {
    std::string name;
    std::string type; // the listed extension, "" when the name is not listed
    bool enter = false;
};

// A folder's kept names, as read, and the order to take them in.
struct Children {
    std::vector<Child> names;
    std::vector<std::uint32_t> order; // indices into names, in natural name order
};

// One folder on the way down: what is left of its names, and how to reach it again.
struct Frame {
    Descriptor folder;
    dev_t device = 0;
    ino_t inode = 0;
    std::string prefix; // its path relative to the top, with a trailing '/' ("" for the top)
    Children children;
    std::size_t next = 0;
};

enum class Kind { folder, listable, left_out };

// What a link stands for. A broken link is listed like any path that is gone; a link
// to a folder is listed but never entered, so link loops cannot trap the scan.
Kind linkKind(int folder, const char* name) {
    struct stat target {};
    if (::fstatat(folder, name, &target, 0) != 0)
        return Kind::listable;
    return S_ISDIR(target.st_mode) || S_ISREG(target.st_mode) ? Kind::listable : Kind::left_out;
}

// The entry's kind from the type readdir reports; the file system is asked only when
// that does not say enough, and a link's target only when the name is listed anyway.
Kind kindOf(int folder, const dirent& entry, bool listed) {
    switch (entry.d_type) {
    case DT_DIR:
        return Kind::folder;
    case DT_REG:
        return Kind::listable;
    case DT_LNK:
        return listed ? linkKind(folder, entry.d_name) : Kind::left_out;
    case DT_UNKNOWN:
        break;
    default:
        return Kind::left_out; // FIFOs, sockets, devices
    }
    struct stat own {};
    if (::fstatat(folder, entry.d_name, &own, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::listable; // gone meanwhile: listed like any missing path
    if (S_ISDIR(own.st_mode))
        return Kind::folder;
    if (S_ISLNK(own.st_mode))
        return listed ? linkKind(folder, entry.d_name) : Kind::left_out;
    return S_ISREG(own.st_mode) ? Kind::listable : Kind::left_out;
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Every kept name of the open folder, in natural name order. An error midway keeps
// what was read before it and says why through `failure`.
Children readChildren(const FolderScanner& scanner, int folder, int& failure) {
    Children children;
    failure = 0;
    // The stream takes its own descriptor: `folder` stays open to enter subfolders.
    DIR* stream = ::fdopendir(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    if (stream == nullptr) {
        failure = errno;
        return children;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream);
        if (entry == nullptr) {
            failure = errno;
            break;
        }
        if (isDotOrDotDot(entry->d_name))
            continue;
        std::string type = scanner.listedExtension(entry->d_name);
        const Kind kind = kindOf(folder, *entry, !type.empty());
        if (kind == Kind::left_out || (kind == Kind::listable && type.empty()))
            continue;
        children.names.push_back(Child{entry->d_name, std::move(type), kind == Kind::folder});
    }
    ::closedir(stream);
    // Sorting indices moves four bytes per swap instead of two strings.
    children.order.resize(children.names.size());
    std::iota(children.order.begin(), children.order.end(), std::uint32_t{0});
    const auto& names = children.names;
    std::sort(children.order.begin(), children.order.end(), [&names](std::uint32_t a, std::uint32_t b) {
        return NaturalNameOrder::compare(names[a].name, names[b].name) < 0;
    });
    return children;
}

// Walks the tree below one folder for one scan.
class Walk {
  public:
    Walk(const FolderScanner& scanner, const std::string& folder, FolderScanner::Sink& sink)
        : m_scanner(scanner), m_top(folder), m_base(paths::appendingPathComponent(folder, "")), m_sink(sink) {}

    void run() {
        // The folder handed over may itself be a link to a folder: that one is followed.
        Descriptor top(::open(m_top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!top.isOpen()) {
            m_sink.skipped(m_top, reasonOf(errno));
            return;
        }
        push(std::move(top), m_top, "");
        while (!m_stack.empty() && !m_sink.stopped())
            step();
    }

  private:
    void step() {
        Frame& current = m_stack.back();
        if (current.next == current.children.order.size()) {
            m_stack.pop_back();
            return;
        }
        Child& child = current.children.names[current.children.order[current.next++]];
        if (!child.type.empty())
            m_sink.found(entryFor(current.prefix, child));
        if (child.enter)
            enter(child.name, current.prefix + child.name);
    }

    PlaylistEntry entryFor(const std::string& prefix, Child& child) const {
        PlaylistEntry entry;
        entry.path.reserve(m_base.size() + prefix.size() + child.name.size());
        entry.path.append(m_base).append(prefix).append(child.name);
        entry.name = child.name;
        entry.type = std::move(child.type);
        return entry;
    }

    // O_NOFOLLOW: a folder swapped for a link after it was listed is not entered.
    void enter(const std::string& name, const std::string& relative) {
        const std::string path = m_base + relative;
        Descriptor folder(::openat(openedParent(), name.c_str(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder.isOpen()) {
            m_sink.skipped(path, reasonOf(errno));
            return;
        }
        push(std::move(folder), path, relative + '/');
    }

    void push(Descriptor folder, const std::string& path, std::string prefix) {
        struct stat own {};
        if (::fstat(folder.get(), &own) != 0) {
            m_sink.skipped(path, reasonOf(errno));
            return;
        }
        if (isOnTheWayDown(own)) {
            m_sink.skipped(path, "the folder contains itself");
            return;
        }
        int failure = 0;
        Children children = readChildren(m_scanner, folder.get(), failure);
        if (failure != 0)
            m_sink.skipped(path, reasonOf(failure));
        m_stack.push_back(Frame{std::move(folder), own.st_dev, own.st_ino, std::move(prefix), std::move(children), 0});
        if (m_stack.size() > openFolderLimit)
            m_stack[m_stack.size() - openFolderLimit - 1].folder.reset();
    }

    bool isOnTheWayDown(const struct stat& folder) const {
        return std::any_of(m_stack.begin(), m_stack.end(), [&](const Frame& frame) {
            return frame.device == folder.st_dev && frame.inode == folder.st_ino;
        });
    }

    // The innermost folder's descriptor, opened again when it was given back.
    int openedParent() {
        Frame& parent = m_stack.back();
        if (!parent.folder.isOpen()) {
            const std::string path = parent.prefix.empty() ? m_top : m_base + parent.prefix;
            parent.folder = Descriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        }
        return parent.folder.get();
    }

    const FolderScanner& m_scanner;
    const std::string& m_top;
    const std::string m_base; // the top folder with one trailing '/'
    FolderScanner::Sink& m_sink;
    std::vector<Frame> m_stack;
};

// Keeps every entry; a scan for callers that only want the result.
class Collector : public FolderScanner::Sink {
  public:
    void found(PlaylistEntry entry) override { entries.push_back(std::move(entry)); }
    void skipped(const std::string&, const std::string&) override {}
    FileList entries;
};

} // namespace

FolderScanner::FolderScanner(const std::vector<std::string>& pictureTypes,
                             const std::vector<std::string>& movieTypes) {
    m_types.insert(pictureTypes.begin(), pictureTypes.end());
    m_types.insert(movieTypes.begin(), movieTypes.end());
}

void FolderScanner::scan(const std::string& folder, Sink& sink) const {
    Walk(*this, folder, sink).run();
}

FileList FolderScanner::entriesBelow(const std::string& folder) const {
    Collector collector;
    scan(folder, collector);
    return std::move(collector.entries);
}

// A leading dot starts a hidden name, not an extension.
std::string FolderScanner::listedExtension(std::string_view name) const {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    std::string extension = paths::lowercaseAscii(name.substr(dot + 1));
    if (extension.empty() || !m_types.contains(extension))
        return {};
    return extension;
}

} // namespace vistrel
