#pragma once
// Whether a drive's recycle bin takes files, decided once per drive before its first file
// goes to the shell. Where it does not, the shell would delete every file for good (or ask
// about each, one by one): that drive's files stay where they are instead, all with the
// one reason "this drive has no recycle bin".
//
// A drive's bin takes files when, in this order: the drive is a fixed disk (removable
// drives, network drives, CD and DVD drives and RAM disks have none); no policy turns the
// recycle bin off (NoRecycleFiles, for the user or the machine); the user's setting for
// the drive is not "remove files immediately" (NukeOnDelete of the drive's volume under
// the user's BitBucket key); and SHQueryRecycleBinW finds its bin. The same settings give
// the largest file the bin takes (MaxCapacity, in megabytes), when they name one.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

struct BinVerdict {
    bool takes = false;
    std::string detail;         // when it takes none: why, in plain words
    std::uint64_t maxBytes = 0; // the largest file it takes; 0 when not known
};

// The verdict for the drive whose top folder is root ("C:\", "\\server\share\", or the
// folder a volume is mounted on).
BinVerdict DecideBin(const std::wstring& root);

class CRecycleBins {
public:
    // The verdict for the drive of folder (an ordinary path, ShellNames.h), decided the
    // first time that drive is asked about.
    const BinVerdict& Of(const std::wstring& folder);

private:
    std::map<std::wstring, BinVerdict> m_verdicts; // by the drive's top folder, in capitals
};
