#pragma once
// How a batch (FileBatch.h) and the paths of a request stand for each other.
#include "platform/core/FileBatch.h"

#include <string>
#include <string_view>
#include <vector>

// folder, one '/', name: no second '/' when folder already ends in one ("/" + "a" is "/a").
std::string JoinPath(std::string_view folder, std::string_view name);

// True when batch is well formed (folders[0] is the chosen folder, every other folder
// comes after its parent, every name is one non-empty component without '/', every file
// is in a recorded folder) and paths are its files, one to one and in order: path i is
// the chosen folder joined (JoinPath) with the names of the folders down to file i and
// then file i's name.
bool BatchMatchesPaths(const CFileBatch& batch, const std::vector<std::string>& paths);

// The batch that stands for paths when a request comes without the collection's record:
// the chosen folder is "/", and every folder on the way to each file is recorded as it is
// now, looked at one name at a time without following a link (a relative path is taken
// from the current folder). A path through a link, or with a ".." in it, gets a folder no
// folder can match, so its file is refused as changed since the scan. Nothing was seen of
// the files themselves: their ids are zero, and the executor takes each as it is when its
// turn comes. The result stands for paths one to one (the "." parts left out).
CFileBatch BatchFromPaths(const std::vector<std::string>& paths);
