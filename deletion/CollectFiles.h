#pragma once
// Finding every file below a folder whose extension key equals a given one, for a delete.
#include "deletion/FileOperation.h"
#include "platform/core/String.h"

#include <cstddef>
#include <functional>

// Appends to op.m_arrSource the full path of every entry below folder, at any depth,
// whose ExtensionKey is exactly ext (case included; an empty ext matches names without
// an extension), and to op.m_batch its record, in the same order. Full path = folder made
// absolute, one separator ('/', on Windows '\\'), the path below it. Paths are appended in walk
// order: the entries of a folder in the order the system lists them, a subfolder searched
// completely before the next entry of its parent.
//
// The walk is the counting's own (CEnumerateFiles, by the rules of walk/TreeWalk.h),
// so a row's count and its delete are the same set: folders are searched, never
// collected; links and special files are collected by their own name, never entered or
// opened; folders that cannot be read, and the trash, contribute nothing. Each folder that
// could not be read (or not completely) is appended to op.m_foldersNotRead, as its full
// path with "folder could not be read: " and the reason ("permission denied", ...).
//
// op.m_batch gets the chosen folder (made absolute) as its root, a record of every folder
// on the way to a collected file (device, inode, name, parent), and per file its name and
// the device, inode, type and size that the system gives through its folder's handle at
// collection time (ExamineEntry); all zero when it could not be examined then (gone, or a
// folder now), which the delete then reports instead of moving anything. A batch holds one
// folder's files: into a batch that already holds another folder's, nothing is appended.
//
// progress, when given, is called after every kCollectProgressEvery entries the walk
// reports (files and folders, matching or not) with the number of files this call has
// collected so far; when it returns false the walk ends there and what was collected until
// then stays in op. Returns false when progress ended the walk, true otherwise.
//
// Shows the wait cursor while it runs (nested, once per folder level). Leaves the current
// directory alone.
using CollectProgress = std::function<bool(std::size_t collected)>;
inline constexpr int kCollectProgressEvery = 1024;
bool CollectFilesWithExtension(CFileOperation& op, CString ext, CString folder,
                               const CollectProgress& progress = {});
