#pragma once
// The names files get in one trash folder: the file's own name when it is free, else the
// next free "name.N". Finding it takes constant time per file however many files share a
// name: each name remembers, for one batch, where its last search ended.
#include <cstdint>
#include <string>
#include <unordered_map>

// The longest name a file in the trash may have: its record adds ".trashinfo", and the
// system allows 255 bytes per name.
inline constexpr std::size_t kMaxTrashName = 255 - 10;

// Candidate number k (1, 2, ...) for a file called name: name itself for 1, "name.k"
// after that. A name too long to take the suffix within kMaxTrashName loses bytes at
// its end, never inside a UTF-8 character. The original name is kept in the record.
std::string TrashNameCandidate(const std::string& name, std::uint32_t k);

class CTrashNames {
public:
    // The name to try for the next file called name.
    std::string Candidate(const std::string& name) const;
    // The last candidate for name was taken (its record or its file is in the trash).
    // The first time in a batch that a name is found taken, the trash is searched for the
    // first free number above it, in doubling then halving steps through infoFd and
    // filesFd (so a trash that already holds thousands of that name costs a few dozen
    // looks once); after that the next candidate is just the following number.
    void Taken(const std::string& name, int infoFd, int filesFd);
    // The last candidate for name now holds a file.
    void Used(const std::string& name);

private:
    struct State {
        std::uint32_t next = 1;
        bool searched = false;
    };
    std::unordered_map<std::string, State> m_names;
};
