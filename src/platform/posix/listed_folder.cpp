#include "platform/posix/listed_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "fileio/file_status.h"

namespace {
// Per thread, as the listings: the holds of this thread's walk, whose
// descriptors count against the walk's budget like its listings.
thread_local std::size_t t_holds = 0;
}  // namespace

// A descriptor of its own, so that the listing may end or be parked while
// the hold lives. Made and released on the walking thread.
class EntryFolder {
public:
    EntryFolder(std::string path, int descriptor)
        : m_path(std::move(path)), m_descriptor(descriptor) {
        ++t_holds;
    }
    ~EntryFolder() {
        close(m_descriptor);
        --t_holds;
    }
    EntryFolder(const EntryFolder&) = delete;
    EntryFolder& operator=(const EntryFolder&) = delete;

    const std::string m_path;
    const int m_descriptor;
};

namespace {

// Per thread: each walk lists its own folders, outermost first.
thread_local std::vector<ListedFolder*> t_listed;
// The folder this thread names entries through, before the listings.
thread_local const EntryFolder* t_namingThrough = nullptr;

// Descriptors left to everything but the listings and holds: the file being
// treated, its replacement, a backup, the report, the manifest, standard
// streams, and the files being searched (a search that finds none left
// leaves its file to the treatment, which reads it again).
constexpr rlim_t kDescriptorsKeptFree = 32;
constexpr std::size_t kFewestListings = 4;

// The listings and holds a walk may keep open at once. The soft limit is first raised
// to the hard one, as far as a sane number goes.
std::size_t ListingBudget() {
    static const std::size_t budget = [] {
        rlimit limit{};
        if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
            return kFewestListings;
        }
        const rlim_t wanted = std::min<rlim_t>(limit.rlim_max, 1 << 16);
        if (limit.rlim_cur < wanted) {
            limit.rlim_cur = wanted;
            if (setrlimit(RLIMIT_NOFILE, &limit) != 0) {
                getrlimit(RLIMIT_NOFILE, &limit);
            }
        }
        const rlim_t usable = limit.rlim_cur > kDescriptorsKeptFree * 2
                                  ? limit.rlim_cur - kDescriptorsKeptFree
                                  : limit.rlim_cur / 2;
        return std::max<std::size_t>(kFewestListings, static_cast<std::size_t>(usable));
    }();
    return budget;
}

DIR* Stream(void* stream) {
    return static_cast<DIR*>(stream);
}

bool IdOf(int descriptor, DirectoryId& id) {
    struct statx info {};
    if (statx(descriptor, "", AT_EMPTY_PATH, STATX_TYPE | STATX_INO, &info) != 0) {
        return false;
    }
    id.m_volume = makedev(info.stx_dev_major, info.stx_dev_minor);
    id.m_file = info.stx_ino;
    id.m_mountRoot = (info.stx_attributes & info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0;
    return true;
}

// The entry's kind from the listing, or from the file system where the
// listing does not say; a link is never followed to learn what it points to.
uint32_t KindOf(const dirent& entry, int folder) {
    unsigned char type = entry.d_type;
    struct stat own {};
    if (type == DT_UNKNOWN && fstatat(folder, entry.d_name, &own, AT_SYMLINK_NOFOLLOW) == 0) {
        type = S_ISLNK(own.st_mode) ? DT_LNK : S_ISDIR(own.st_mode) ? DT_DIR : DT_REG;
    }
    return type == DT_LNK ? kFindLink : type == DT_DIR ? kFindDirectory : 0;
}

ListedEntry EntryOf(const dirent& entry, int folder) {
    const uint32_t hidden = entry.d_name[0] == '.' ? kAttrHidden : 0;
    return ListedEntry{entry.d_name, KindOf(entry, folder) | hidden, entry.d_ino};
}

bool IsInside(const std::string& path, std::size_t lastSlash, const std::string& folder) {
    const std::size_t parentLength = lastSlash == 0 ? 1 : lastSlash;  // "/name" lies in "/"
    return folder.size() == parentLength && path.compare(0, parentLength, folder) == 0;
}

}  // namespace

RelativePath RelativeToListedFolder(const std::string& path) {
    const std::size_t lastSlash = path.find_last_of('/');
    if (lastSlash == std::string::npos || lastSlash + 1 == path.size()) {
        return {AT_FDCWD, path.c_str(), false};
    }
    const char* name = path.c_str() + lastSlash + 1;
    if (t_namingThrough != nullptr && IsInside(path, lastSlash, t_namingThrough->m_path)) {
        return {t_namingThrough->m_descriptor, name, true};
    }
    if (!t_listed.empty() && IsInside(path, lastSlash, t_listed.back()->Path())) {
        return {t_listed.back()->Descriptor(), name, true};
    }
    return {AT_FDCWD, path.c_str(), false};
}

EntryFolderHold HoldInnermostFolder() {
    return t_listed.empty() ? nullptr : t_listed.back()->Hold();
}

NamingThrough::NamingThrough(const EntryFolderHold& hold) : m_previous(t_namingThrough) {
    t_namingThrough = hold.get();
}

NamingThrough::~NamingThrough() {
    t_namingThrough = m_previous;
}

EntryFolderHold ListedFolder::Hold() {
    EntryFolderHold hold = m_hold.lock();
    if (hold != nullptr || Parked()) {
        return hold;
    }
    if (OpenDescriptors() >= ListingBudget() && !ParkOutermost()) {
        return nullptr;
    }
    const int descriptor = fcntl(m_descriptor, F_DUPFD_CLOEXEC, 0);
    hold = descriptor < 0 ? nullptr : std::make_shared<const EntryFolder>(m_path, descriptor);
    m_hold = hold;
    return hold;
}

int NoFollowFlag(const RelativePath& at) {
    return at.m_listed ? O_NOFOLLOW : 0;
}

int NoFollowAtFlag(const RelativePath& at) {
    return at.m_listed ? AT_SYMLINK_NOFOLLOW : 0;
}

// The descriptor of the folder at, for listing; with room made for it by
// parking outer listings, also when the system's count is lower than ours.
int ListedFolder::OpenDescriptor(const RelativePath& at) {
    while (OpenDescriptors() >= ListingBudget() && ParkOutermost()) {
    }
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | NoFollowFlag(at);
    int descriptor = -1;
    while ((descriptor = openat(at.m_folder, at.m_name, flags)) < 0 &&
           (errno == EMFILE || errno == ENFILE) && ParkOutermost()) {
    }
    return descriptor;
}

std::size_t ListedFolder::OpenDescriptors() {
    return t_holds + static_cast<std::size_t>(
                         std::count_if(t_listed.begin(), t_listed.end(),
                                       [](const ListedFolder* f) { return !f->Parked(); }));
}

// The innermost listing keeps its descriptor: its entries are being named.
bool ListedFolder::ParkOutermost() {
    const auto last = t_listed.empty() ? t_listed.end() : t_listed.end() - 1;
    const auto open =
        std::find_if(t_listed.begin(), last, [](const ListedFolder* f) { return !f->Parked(); });
    if (open == last) {
        return false;
    }
    (*open)->Park();
    return true;
}

ListedFolder* ListedFolder::Open(const std::string& path) {
    const int descriptor = OpenDescriptor(RelativeToListedFolder(path));
    if (descriptor < 0) {
        return nullptr;
    }
    auto* folder = new ListedFolder;
    folder->m_path = path;
    folder->m_descriptor = descriptor;
    DIR* stream = IdOf(descriptor, folder->m_id) ? fdopendir(descriptor) : nullptr;
    if (stream == nullptr) {
        const int error = errno;
        delete folder;
        errno = error;
        return nullptr;
    }
    folder->m_stream = stream;
    t_listed.push_back(folder);
    return folder;
}

void ListedFolder::Close(ListedFolder* folder) {
    const auto at = std::find(t_listed.begin(), t_listed.end(), folder);
    const bool innermost = at != t_listed.end() && at + 1 == t_listed.end();
    if (at != t_listed.end()) {
        t_listed.erase(at);
    }
    if (innermost && !t_listed.empty() && t_listed.back()->Parked()) {
        t_listed.back()->ReopenFrom(folder->m_descriptor);
    }
    delete folder;
}

ListedFolder::~ListedFolder() {
    if (m_stream != nullptr) {
        closedir(Stream(m_stream));  // closes the descriptor too
    } else if (m_descriptor >= 0) {
        close(m_descriptor);
    }
}

bool ListedFolder::Next(ListedEntry& entry) {
    if (m_stream != nullptr) {
        errno = 0;
        const dirent* found = readdir(Stream(m_stream));
        if (found != nullptr) {
            entry = EntryOf(*found, m_descriptor);
        }
        return found != nullptr;
    }
    if (m_next < m_rest.size()) {
        entry = std::move(m_rest[m_next++]);
        return true;
    }
    errno = m_error;
    return false;
}

// Reads the rest of the entries, then gives up the descriptor. A failure to
// read them is kept for when they have been taken.
void ListedFolder::Park() {
    if (m_stream != nullptr) {
        ListedEntry entry;
        while (Next(entry)) {
            m_rest.push_back(std::move(entry));
        }
        m_error = errno;
        closedir(Stream(m_stream));
        m_stream = nullptr;
    } else {
        close(m_descriptor);  // reopened once already: the rest is in memory
    }
    m_descriptor = -1;
}

// ".." of the folder the walk comes back from leads here unless this folder
// was moved meanwhile; then the rest of its entries are not taken, since
// they would be named in another folder.
void ListedFolder::ReopenFrom(int childDescriptor) {
    const int descriptor =
        childDescriptor < 0
            ? -1
            : openat(childDescriptor, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    DirectoryId id;
    if (descriptor >= 0 && IdOf(descriptor, id) && id == m_id) {
        m_descriptor = descriptor;
        return;
    }
    if (descriptor >= 0) {
        close(descriptor);
    }
    m_rest.clear();
    m_next = 0;
    m_error = kFolderMovedError;
}
