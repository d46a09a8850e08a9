#pragma once
// The record a trash keeps beside each file (info/<name>.trashinfo): where the file came
// from and when it was deleted, in the freedesktop Trash specification's format.
#include <ctime>
#include <string>
#include <string_view>

// The extension of a record's name.
inline constexpr std::string_view kTrashInfoSuffix = ".trashinfo";

// bytes with every byte other than ASCII letters, digits and "-_.~/" written as %XX, so
// that any name (not UTF-8, with '%', spaces or newlines) comes back byte for byte.
std::string PercentEncode(std::string_view bytes);

// "YYYY-MM-DDThh:mm:ss" of when, in local time.
std::string DeletionDate(std::time_t when);

// The whole record: "[Trash Info]", Path= (path percent-encoded), DeletionDate=.
std::string TrashInfoText(std::string_view path, std::string_view deletionDate);

// Creates the record name in the folder infoFd, only if no entry of that name exists
// (O_EXCL: this is what reserves the name in the trash), and writes text completely.
// Returns 0, or the errno of the failure: EEXIST when the name is taken; after any later
// failure the record is removed again.
int CreateTrashInfo(int infoFd, const std::string& name, std::string_view text);
