#pragma once
// What a collection saw of the files it gathered for one delete: every folder on the way
// from the chosen folder, and every file, each with the device and inode it had when it
// was listed. Whoever moves the files later checks each against this record, so that
// only the very file that was counted is moved, reached through the very folders that
// were walked: a folder swapped for a link, or a file replaced, since the scan is noticed
// and left alone.
#include <cstdint>
#include <string>
#include <vector>

struct BatchFolder {
    std::uint32_t parent = 0; // index in CFileBatch::folders; the root is its own parent
    std::string name;         // the folder's name in its parent; empty for the root
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
};

// dev, ino, type and size are all zero when the file could not be examined at collection
// time (gone, or a folder by then): it matches nothing, so it is reported, never moved.
struct BatchFile {
    std::uint32_t folder = 0; // index in CFileBatch::folders
    std::string name;
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
    // The st_mode type bits (S_IFREG, S_IFLNK, ...), never S_IFDIR: checked with dev and
    // ino on Linux, where an inode number can be given to another entry; 0 on Windows.
    std::uint32_t type = 0;
    // Its bytes when it was examined (a link's own): what the question before the delete
    // adds up, and what the report counts for each file moved.
    std::uint64_t size = 0;
};

struct CFileBatch {
    // The chosen folder as the user gave it, made absolute; the one path that is looked
    // up by name (it may itself be, or pass through, a link).
    std::string root;
    // folders[0] is the root; every folder comes after its parent.
    std::vector<BatchFolder> folders;
    // In walk order: the order of the request's paths.
    std::vector<BatchFile> files;

    bool IsEmpty() const { return files.empty(); }
    // The sum of the files' sizes.
    std::uint64_t TotalBytes() const {
        std::uint64_t total = 0;
        for (const BatchFile& file : files)
            total += file.size;
        return total;
    }
};
