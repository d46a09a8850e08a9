// A delete while someone changes the tree under it, from the collection the window makes
// to the trash: folders swapped for links to
// look-alike folders outside, files swapped for folders, by a thread of the same user or
// by another user; a trash holding files whose records are gone; and a delete killed at
// any moment. Whatever happens, only files the scan saw, from inside the chosen folder,
// reach the trash, never a folder, nothing in the trash is ever replaced, and nothing is
// lost.
#include "deletion/CollectFiles.h"
#include "deletion/FileOperation.h"
#include "platform/trash/TrashExecutorPosix.h"
#include "tests/support/TrashInfo.h"
#include "tests/trash/TrashTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <map>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFolders = 40;
constexpr int kFilesPerFolder = 60;
constexpr int kAttempts = 8;

std::string Folder(int k) {
    return "d" + std::to_string(k);
}

// base/<prefix>d<k>/f<j>.txt for every folder and file; returns the relative paths.
std::vector<std::string> MakeFolders(const std::string& base, const std::string& prefix,
                                     const std::string& content) {
    std::vector<std::string> relative;
    for (int k = 0; k < kFolders; ++k)
        for (int j = 0; j < kFilesPerFolder; ++j) {
            relative.push_back(prefix + Folder(k) + "/f" + std::to_string(j) + ".txt");
            WriteFile(base + "/" + relative.back(), content);
        }
    return relative;
}

// One round of swaps in folder: every d<k> becomes a link to lookAlike/d<k>, then each
// goes back. With swapFiles, the files of d<round % kFolders> then each become a folder
// for a moment.
void SwapRound(const std::string& folder, const std::string& lookAlike, int round, bool swapFiles) {
    for (int k = 0; k < kFolders; ++k) {
        const std::string real = folder + "/" + Folder(k);
        if (::rename(real.c_str(), (real + ".real").c_str()) == 0)
            ::symlink((lookAlike + "/" + Folder(k)).c_str(), real.c_str());
    }
    for (int k = 0; k < kFolders; ++k) {
        const std::string real = folder + "/" + Folder(k);
        if (::unlink(real.c_str()) == 0)
            ::rename((real + ".real").c_str(), real.c_str());
    }
    const std::string swapped = folder + "/" + Folder(round % kFolders);
    for (int j = 0; swapFiles && j < kFilesPerFolder; ++j) {
        const std::string file = swapped + "/f" + std::to_string(j) + ".txt";
        if (::rename(file.c_str(), (file + ".away").c_str()) != 0)
            continue;
        ::mkdir(file.c_str(), 0755);
        ::rmdir(file.c_str());
        ::rename((file + ".away").c_str(), file.c_str());
    }
}

// The delete's own record of the .txt files below folder, as the window collects it
// after the scan; the collection is checked to hold every file of expected.
CFileOperation Collected(const std::string& folder, const std::vector<std::string>& expected) {
    CFileOperation op;
    CollectFilesWithExtension(op, ".txt", CString(folder));
    EXPECT_EQ(op.m_batch.files.size(), expected.size());
    return op;
}

std::vector<std::string> PathsOf(const CFileOperation& op) {
    std::vector<std::string> paths;
    for (const CString& path : op.m_arrSource)
        paths.push_back(path.str());
    return paths;
}

// What reached the trash: no folder, only inodes the scan saw; every record with its file.
// Returns how many files were refused because the tree had changed.
std::size_t CheckTrash(const TrashSandbox& box, const CFileBatch& batch,
                       const TrashReport& report) {
    std::set<std::uint64_t> seen;
    for (const BatchFile& file : batch.files)
        seen.insert(file.ino);
    const std::vector<std::string> trashed = Names(box.trash() + "/files");
    for (const std::string& name : trashed) {
        struct stat st;
        EXPECT_EQ(::lstat((box.trash() + "/files/" + name).c_str(), &st), 0) << name;
        EXPECT_FALSE(S_ISDIR(st.st_mode)) << "a folder reached the trash: " << name;
        EXPECT_EQ(seen.count(st.st_ino), 1u) << "not a file the scan saw: " << name;
    }
    EXPECT_EQ(ReadTrashInfo(box.trash()).size(), trashed.size());
    EXPECT_EQ(report.results.size(), batch.files.size());
    EXPECT_EQ(report.TrashedCount(), trashed.size());
    std::size_t changed = 0;
    for (const TrashResult& r : report.results)
        changed += r.reason == "changed since the scan" ? 1 : 0;
    return changed;
}

// The look-alike folder's files are all still there.
void CheckUntouched(const std::string& base, const std::vector<std::string>& relative) {
    std::size_t missing = 0;
    for (const std::string& rel : relative)
        missing += Exists(base + "/" + rel) ? 0 : 1;
    EXPECT_EQ(missing, 0u) << "files outside the chosen folder were moved";
}

TEST(TrashRace, FoldersSwappedForLinksNeverSendFilesFromOutsideOrFoldersToTheTrash) {
    std::size_t refused = 0;
    for (int attempt = 0; attempt < kAttempts && !HasFailure(); ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        TrashSandbox box(MemoryFolder());
        const std::vector<std::string> inside = MakeFolders(box.tree(), "sub/", "inside");
        const std::vector<std::string> outside = MakeFolders(box.dir / "outside", "", "outside");
        const CFileOperation collected = Collected(box.tree(), inside);
        TrashRun run;
        run.batch = collected.m_batch;
        run.paths = PathsOf(collected);
        // The swaps run on a thread of the deleting process, as long as the delete does.
        std::thread swapper;
        std::atomic<bool> done{false};
        run.inChild = [&] {
            swapper = std::thread([&] {
                for (int round = 0; round < 100000 && !done; ++round)
                    SwapRound(box.tree() + "/sub", box.dir / "outside", round, true);
            });
        };
        const ChildResult child = RunInChild([&](std::string& out) {
            box.Enter();
            run.inChild();
            CFileOperation op;
            for (const std::string& p : run.paths)
                op.m_arrSource.Add(CString(p));
            CDeleteRequest request(op);
            const TrashReport report = ExecuteShellFileOperation(request.Request(), &*run.batch);
            done = true;
            swapper.join();
            out = Serialize(report);
        });
        ASSERT_EQ(child.exitStatus, 0);
        refused += CheckTrash(box, *run.batch, ParseReport(child.out));
        CheckUntouched(box.dir / "outside", outside);
    }
    // The swaps did meet the delete: some folders were refused as changed.
    EXPECT_GT(refused, 0u);
}

// As uid 65534, in a folder of its own inside the tree, against a folder only root can
// read, while root deletes.
TEST(TrashRace, AnotherUserSwappingHisFoldersNeverSendsRootsFilesToTheTrash) {
    std::size_t refused = 0;
    for (int attempt = 0; attempt < kAttempts && !HasFailure(); ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        TrashSandbox box(MemoryFolder());
        ::chmod(box.dir.path().c_str(), 0755);
        const std::vector<std::string> inside = MakeFolders(box.tree(), "shared/", "inside");
        const std::string secret = box.dir / "secret";
        const std::vector<std::string> rootOnly = MakeFolders(secret, "", "root only");
        ::chmod(secret.c_str(), 0700);
        const std::string shared = box.tree() + "/shared";
        ASSERT_EQ(std::system(("chown -R 65534:65534 '" + shared + "'").c_str()), 0);
        const CFileOperation collected = Collected(box.tree(), inside);
        const CFileBatch& batch = collected.m_batch;

        const pid_t swapper = ::fork();
        ASSERT_GE(swapper, 0);
        if (swapper == 0) {
            if (::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
                ::setresuid(65534, 65534, 65534) == 0) {
                ::alarm(TrashSandbox::kChildSeconds);
                for (int round = 0;; ++round)
                    SwapRound(shared, secret, round, false);
            }
            ::_exit(1);
        }
        TrashRun run;
        run.batch = batch;
        run.paths = PathsOf(collected);
        const Outcome o = Execute(box, run);
        ::kill(swapper, SIGKILL);
        ::waitpid(swapper, nullptr, 0);
        ASSERT_EQ(o.exitStatus, 0);
        refused += CheckTrash(box, batch, o.report);
        CheckUntouched(secret, rootOnly);
    }
    EXPECT_GT(refused, 0u);
}

class TrashRaceWays : public testing::TestWithParam<MissingMoves> {};

// Files with the longest names a folder allows (longer than a trash name may be), each
// swapped back and forth with a look-alike from outside while they are deleted, by each
// way of moving. One that reaches the trash in the instant between the check and the move
// goes back under its own name, never under one cut short for the trash; only files the
// scan saw stay there. By link and unlink, a look-alike swapped in between the last look
// and the unlink is what the unlink removes: the report must say so for each such one.
TEST_P(TrashRaceWays, WhatWasSwappedInGoesBackUnderItsOwnName) {
    std::set<std::string> names;
    for (int i = 0; i < 300; ++i)
        names.insert(std::to_string(1000 + i) + std::string(247, 'n') + ".txt");
    std::size_t refused = 0;
    for (int attempt = 0; attempt < kAttempts && !HasFailure(); ++attempt) {
        SCOPED_TRACE("attempt " + std::to_string(attempt));
        TrashSandbox box(MemoryFolder());
        const std::string spare = box.dir / "spare";
        for (const std::string& name : names) {
            WriteFile(box.tree() + "/" + name, "inside");
            WriteFile(spare + "/" + name, "spare");
        }
        const CFileOperation collected =
            Collected(box.tree(), std::vector<std::string>(names.begin(), names.end()));
        const ChildResult child = RunInChild([&](std::string& out) {
            box.Enter();
            if (!RefuseMoves(GetParam()))
                return;
            std::atomic<bool> done{false};
            std::thread swapper([&] {
                for (int round = 0; round < 100000 && !done; ++round)
                    for (const std::string& name : names)
                        ::renameat2(AT_FDCWD, (box.tree() + "/" + name).c_str(), AT_FDCWD,
                                    (spare + "/" + name).c_str(), RENAME_EXCHANGE);
            });
            CDeleteRequest request(collected);
            const TrashReport report =
                ExecuteShellFileOperation(request.Request(), &collected.m_batch);
            done = true;
            swapper.join();
            out = Serialize(report);
        });
        ASSERT_EQ(child.exitStatus, 0);
        const TrashReport report = ParseReport(child.out);
        refused += CheckTrash(box, collected.m_batch, report);
        for (const std::string& name : Names(box.tree()))
            EXPECT_EQ(names.count(name), 1u) << "a name the tree never had: " << name;
        std::size_t deleted = 0;
        for (const TrashResult& r : report.results)
            deleted += r.reason == "changed since the scan (what took its place was deleted)";
        EXPECT_EQ(Names(spare).size() + Names(box.tree()).size() +
                      Names(box.trash() + "/files").size() + deleted,
                  2 * names.size());
    }
    EXPECT_GT(refused, 0u);
}

// A delete killed (SIGKILL) at random moments, by each way of moving: every file is in its
// place or in the trash with its record (by link and unlink, killed between the two, in
// both), nothing in the trash is without its record, and, where the drive has hard links,
// no record is empty or half written. The moments are drawn over the time a whole delete
// takes, from a fixed seed.
TEST_P(TrashRaceWays, ADeleteKilledAtAnyMomentLosesNothingAndLeavesNoHalfRecord) {
    constexpr int kFiles = 400;
    constexpr int kRounds = 16;
    std::mt19937 random(20240517);
    std::chrono::microseconds whole{0};
    for (int round = 0; round <= kRounds && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        TrashSandbox box(MemoryFolder());
        std::vector<std::string> relative;
        for (int i = 0; i < kFiles; ++i) {
            relative.push_back("d" + std::to_string(i % 8) + "/f" + std::to_string(i) + ".txt");
            WriteFile(box.tree() + "/" + relative.back(), "content " + std::to_string(i));
        }
        const CFileOperation collected = Collected(box.tree(), relative);
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            box.Enter();
            CDeleteRequest request(collected);
            if (RefuseMoves(GetParam()))
                ExecuteShellFileOperation(request.Request(), &collected.m_batch);
            ::_exit(0);
        }
        // Round 0 runs to its end, to measure how long a whole delete takes.
        if (round > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(
                std::uniform_int_distribution<long>(0, whole.count())(random)));
        if (round > 0)
            ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (round == 0) {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            whole = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - start);
        }
        const std::map<std::string, TrashRecord> records = ReadTrashInfo(box.trash());
        const bool links = GetParam() != MissingMoves::NoReplaceNorLinks;
        std::map<std::string, std::string> inTrash; // original path -> content
        for (const auto& [name, record] : records) {
            EXPECT_TRUE(record.wellFormed || !links) << "a record not whole: " << name;
            if (Exists(box.trash() + "/files/" + name))
                inTrash[record.path] = ReadFile(box.trash() + "/files/" + name);
        }
        for (const std::string& name : Names(box.trash() + "/files"))
            EXPECT_EQ(records.count(name), 1u) << "in the trash without its record: " << name;
        // A partial record (written before it gets its name, where O_TMPFILE is missing)
        // may stay: trash tools do not look at it, and a later delete removes it.
        for (const std::string& name : Names(box.trash() + "/info"))
            EXPECT_TRUE(name.ends_with(".trashinfo") || name.ends_with(".rzpartial"))
                << "left in info/: " << name;
        for (int i = 0; i < kFiles; ++i) {
            const std::string path = box.tree() + "/" + relative[static_cast<std::size_t>(i)];
            const std::string content = "content " + std::to_string(i);
            EXPECT_TRUE((Exists(path) && ReadFile(path) == content) || inTrash[path] == content)
                << "lost: " << path;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, TrashRaceWays,
                         testing::Values(MissingMoves::None, MissingMoves::NoReplace,
                                         MissingMoves::NoReplaceNorLinks),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

// Someone removed records from the trash (they look like clutter): the files they named
// stay, and later files of those names go elsewhere.
TEST(TrashRace, FilesInTheTrashWithoutTheirRecordsAreNeverReplaced) {
    TrashSandbox box;
    std::vector<TreeEntry> orphans = {{TreeEntry::File, "files/x.txt", "orphan 1"},
                                      {TreeEntry::File, "info/y.txt.trashinfo", "orphan record"}};
    for (int k = 2; k <= 40; ++k)
        orphans.push_back({TreeEntry::File, "files/x.txt." + std::to_string(k), "orphan"});
    MakeTree(box.trash(), orphans);
    MakeTree(box.tree(), {{TreeEntry::File, "x.txt", "new x"},
                          {TreeEntry::File, "y.txt", "new y"},
                          {TreeEntry::File, "more/x.txt", "another x"}});
    const Outcome o = ExecuteBatch(box, box.tree(), {"x.txt", "y.txt", "more/x.txt"});
    ASSERT_EQ(o.report.TrashedCount(), 3u);

    EXPECT_EQ(ReadFile(box.trash() + "/files/x.txt"), "orphan 1");
    for (int k = 2; k <= 40; ++k)
        EXPECT_EQ(ReadFile(box.trash() + "/files/x.txt." + std::to_string(k)), "orphan");
    EXPECT_EQ(ReadFile(box.trash() + "/info/y.txt.trashinfo"), "orphan record");
    EXPECT_EQ(ReadFile(box.trash() + "/files/x.txt.41"), "new x");
    EXPECT_EQ(ReadFile(box.trash() + "/files/y.txt.2"), "new y");
    EXPECT_EQ(ReadFile(box.trash() + "/files/x.txt.42"), "another x");
    EXPECT_EQ(ReadTrashInfo(box.trash()).at("x.txt.42").path, box.tree() + "/more/x.txt");
}

} // namespace
