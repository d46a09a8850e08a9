#include "tests/support/Trees.h"

const std::vector<TreeEntry> kPicturesTree = {
    {TreeEntry::File, "a.jpg"},
    {TreeEntry::File, "b.jpg"},
    {TreeEntry::File, "trip/c.jpg"},
    {TreeEntry::File, "trip/d.JPG.jpg"},
    {TreeEntry::File, "trip/day 2/e.jpg"},
    {TreeEntry::File, "notes.txt"},
    {TreeEntry::File, "trip/list.txt"},
    {TreeEntry::File, "trip/desktop.ini"},
    {TreeEntry::Dir, "empty"},
};

const std::vector<TreeEntry> kMixedTree = {
    {TreeEntry::File, "a.txt"},
    {TreeEntry::File, "sub/b.txt"},
    {TreeEntry::File, "c.TXT"},
    {TreeEntry::File, "d.txt.bak"},
    {TreeEntry::Dir, "x.txt"},
    {TreeEntry::File, "x.txt/inner.txt"},
    {TreeEntry::File, "README"},
    {TreeEntry::File, "sub/Makefile"},
    {TreeEntry::File, "sub/deep/er/noext"},
    {TreeEntry::File, "sub/deep/er/e.txt"},
    {TreeEntry::File, "odd.name with space"},
    {TreeEntry::File, "report.final draft"},
    {TreeEntry::File, ".hidden"},
    {TreeEntry::File, "trailing."},
    {TreeEntry::File, "\xff\xfe.txt"},
    {TreeEntry::File, "new\nline.txt"},
    {TreeEntry::File, "tab\there.c"},
    {TreeEntry::File, "outside/target.txt"},
    {TreeEntry::Link, "link.txt", "outside/target.txt"},
    {TreeEntry::Link, "dirlink.txt", "outside"},
    {TreeEntry::Link, "broken.txt", "nowhere"},
    {TreeEntry::Link, "sub/loop", ".."},
    {TreeEntry::Fifo, "pipe.txt"},
    {TreeEntry::Dir, "empty"},
};

const std::map<std::string, std::vector<std::string>> kMixedTreeByKey = {
    // Folders (x.txt) are walked into, never counted; links and the FIFO count as
    // themselves and are never followed or opened.
    {".txt",
     {"a.txt", "sub/b.txt", "x.txt/inner.txt", "sub/deep/er/e.txt", "\xff\xfe.txt", "new\nline.txt",
      "outside/target.txt", "link.txt", "dirlink.txt", "broken.txt", "pipe.txt"}},
    // No dot, or a space after the last dot.
    {"",
     {"README", "sub/Makefile", "sub/deep/er/noext", "odd.name with space", "report.final draft",
      "sub/loop"}},
    {".TXT", {"c.TXT"}},
    {".bak", {"d.txt.bak"}},
    {".hidden", {".hidden"}},
    {".", {"trailing."}},
    {".c", {"tab\there.c"}},
};

const std::vector<std::string> kMixedTreeFolders = {
    "", "empty", "outside", "sub", "sub/deep", "sub/deep/er", "x.txt",
};
