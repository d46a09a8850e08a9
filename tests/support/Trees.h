#pragma once
// The trees several tests build, each defined once.
#include "tests/support/TempTree.h"

#include <map>
#include <string>
#include <vector>

// A folder of photos and notes: five .jpg, two .txt and one .ini at three depths (one
// name with a space in its folder, one with a second extension), and an empty folder.
// Its table: (1, .jpg, 5), (2, .txt, 2), (3, .ini, 1); total 8.
extern const std::vector<TreeEntry> kPicturesTree;

// Every kind of entry and name the counting and the collection must treat alike: files at
// several depths, a folder whose name has an extension, names without an extension or
// with a space after the last dot, a dot file, a trailing dot, bytes that are not UTF-8,
// a newline and a tab inside names, links to a file, to a folder and to nowhere, a link
// to an ancestor, a FIFO and an empty folder.
extern const std::vector<TreeEntry> kMixedTree;

// The entries of kMixedTree that are not folders, by extension key, relative to its root.
extern const std::map<std::string, std::vector<std::string>> kMixedTreeByKey;
// The folders of kMixedTree, relative to its root ("" for the root itself).
extern const std::vector<std::string> kMixedTreeFolders;
