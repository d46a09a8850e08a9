#pragma once
// The few system calls the trash engine is built from, each wrapped once: an owned
// descriptor, what one look at an entry tells, and opening a folder without following a
// link.
#include <cstdint>
#include <string>
#include <utility>

// An open file descriptor, closed when its owner goes.
class CUniqueFd {
public:
    CUniqueFd() = default;
    explicit CUniqueFd(int fd) : m_fd(fd) {}
    ~CUniqueFd() { Reset(); }
    CUniqueFd(CUniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    CUniqueFd& operator=(CUniqueFd&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    CUniqueFd(const CUniqueFd&) = delete;
    CUniqueFd& operator=(const CUniqueFd&) = delete;

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Closes the descriptor held, if any, and holds fd instead.
    void Reset(int fd = -1);

private:
    int m_fd = -1;
};

// Which file an entry is: the device (encoded as stat's st_dev) and the inode.
struct FileId {
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
    bool operator==(const FileId&) const = default;
};

// What one look at an entry tells.
struct EntryStat {
    FileId id;
    std::uint32_t mode = 0;    // st_mode: type and permission bits
    std::uint32_t uid = 0;     // owner
    std::uint32_t nlink = 0;   // its number of names (hard links)
    std::uint64_t mountId = 0; // the mount it is on; 0 when the system does not say
    bool IsFolder() const;
};

// Looks at name in the folder dirfd without following a link (name "" looks at dirfd
// itself), or through links when followLinks. False with errno set when it cannot.
bool StatAt(int dirfd, const char* name, EntryStat& out, bool followLinks = false);

// As StatAt without following a link, but asking the drive rather than what the system
// remembers of the entry: a FUSE or network drive's link counts may otherwise be a second
// old. For counting an entry's names while they change.
bool StatNow(int dirfd, const char* name, EntryStat& out);

// Opens name in the folder dirfd as a folder to work in (no reading of its listing is
// needed), never following a link: a link, or anything else that is not a folder, fails
// (ENOTDIR or ELOOP). Returns -1 with errno set on failure.
int OpenFolderAt(int dirfd, const char* name);

// The path the system gives for the open folder fd (its place now, links resolved), or
// empty when it cannot tell.
std::string PathOfOpenFolder(int fd);
