#pragma once
// What a collection records for the trash executor (platform/core/FileBatch.h), made from a
// real tree the way a collection sees it, for tests that hand the executor a batch.
#include "platform/core/FileBatch.h"

#include <string>
#include <vector>

// The batch of the files at root/relative[i], in that order: root is the chosen folder,
// each folder on the way and each file recorded with the device and inode lstat gives
// now. Throws when an entry cannot be looked at.
CFileBatch BatchOfTree(const std::string& root, const std::vector<std::string>& relative);

// The request paths of batch's files, in order: root + "/" + the folders + "/" + the name.
std::vector<std::string> PathsOf(const CFileBatch& batch);
