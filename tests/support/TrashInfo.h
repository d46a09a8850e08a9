#pragma once
// Reading a trash folder the way a desktop does: the records of info/*.trashinfo.
#include <map>
#include <string>
#include <vector>

struct TrashRecord {
    std::string path;         // Path=, percent-decoded to the original bytes
    std::string deletionDate; // DeletionDate= as written
    bool wellFormed = false;  // starts with "[Trash Info]" and has both keys
};

// Trashed name (the file's name in files/) -> its record, for every .trashinfo in
// trash/info. A missing folder gives an empty map.
std::map<std::string, TrashRecord> ReadTrashInfo(const std::string& trash);
