// The portable part of TempTree.h on Windows. Links and FIFOs, which Wine cannot make,
// come from the Linux host's own tools (WineHost.h).
#include "tests/support/TempTree.h"

#include "platform/core/PathSeparator.h"
#include "platform/core/WideText.h"
#include "platform/core/WinFile.h"
#include "tests/support/WineHost.h"

#include <algorithm>
#include <random>
#include <stdexcept>

namespace {

void Fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " " + path + ": system error " +
                             std::to_string(GetLastError()));
}

void MakeFolder(const std::string& path) {
    if (!CreateDirectoryW(LongPath(path).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        Fail("CreateDirectory", path);
}

void MakeParents(const std::string& path) {
    // After the drive ("C:\"): every folder on the way.
    for (std::size_t pos = path.find(kPathSeparator, 3); pos != std::string::npos;
         pos = path.find(kPathSeparator, pos + 1))
        MakeFolder(path.substr(0, pos));
}

// Removes path and everything below it; a link (to a folder too) goes as itself.
void RemoveTree(const std::string& path) {
    DWORD attributes = 0;
    DWORD tag = 0;
    if (!ListedAttributes(LongPath(path), attributes, tag))
        return;
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (IsWalkedFolder(attributes, tag))
        for (const std::string& name : Names(path))
            RemoveTree(JoinPath(path, name));
    SetFileAttributesW(LongPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (folder)
        RemoveDirectoryW(LongPath(path).c_str());
    else
        DeleteFileW(LongPath(path).c_str());
}

// Makes path with a host program, and waits until it is there.
void MakeWithHost(const std::vector<std::string>& argv, const std::string& path) {
    if (!StartHost(argv) || !WaitUntil([&] { return Exists(path); })) {
        SetLastError(0);
        Fail(argv[0], path);
    }
}

} // namespace

TempDir::TempDir(const std::string& base) {
    std::string folder = base;
    if (folder.empty()) {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        folder = Utf8FromWide(temp);
    }
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const std::string path = JoinPath(folder, "rz-test-" + std::to_string(random()));
        if (CreateDirectoryW(LongPath(path).c_str(), nullptr))
            m_path = path;
    }
    if (m_path.empty())
        Fail("CreateDirectory", folder);
}

TempDir::~TempDir() {
    // The host removes links as links, and whatever Windows cannot name; on Windows itself
    // the tree is removed entry by entry.
    if (const std::string host = HostPath(m_path); !host.empty()) {
        StartHost({"/bin/sh", "-c", "chmod -R u+rwx \"$1\"; rm -rf \"$1\"", "rm", host});
        WaitUntil([&] { return !Exists(m_path); });
    } else {
        RemoveTree(m_path);
    }
}

std::string MemoryFolder() {
    return {};
}

void WriteFile(const std::string& path, const std::string& content) {
    MakeParents(path);
    const CWinHandle file(CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()),
                            &written, nullptr))
        Fail("write", path);
}

std::string ReadFile(const std::string& path) {
    const CWinHandle file(CreateFileW(LongPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        Fail("open", path);
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        data.append(buffer, got);
    return data;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileExW(LongPath(JoinPath(folder, "*")).c_str(), FindExInfoBasic,
                                         &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = Utf8FromWide(data.cFileName);
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool Exists(const std::string& path) {
    DWORD attributes = 0;
    DWORD tag = 0;
    return ListedAttributes(LongPath(path), attributes, tag);
}

void MakeTree(const std::string& root, const std::vector<TreeEntry>& entries) {
    for (const TreeEntry& e : entries) {
        const std::string path = JoinPath(root, Native(e.path));
        switch (e.kind) {
        case TreeEntry::File:
            WriteFile(path, e.target);
            break;
        case TreeEntry::Dir:
            MakeParents(JoinPath(path, "x"));
            break;
        case TreeEntry::Link:
            MakeParents(path);
            MakeWithHost({"/bin/ln", "-s", e.target, HostPath(path)}, path);
            break;
        case TreeEntry::Fifo:
            MakeParents(path);
            MakeWithHost({"/usr/bin/mkfifo", HostPath(path)}, path);
            break;
        }
    }
}
