#pragma once
// The record a trash keeps beside each file (info/<name>.trashinfo): where the file came
// from and when it was deleted, in the format of the freedesktop.org Trash rules.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// The extension of a record's name.
inline constexpr std::string_view kTrashInfoSuffix = ".trashinfo";

// What a record is written under before it gets its name (Named below), in place of
// kTrashInfoSuffix: trash tools look only at names ending in ".trashinfo". It fits where
// the suffix does.
inline constexpr std::string_view kPartialRecordSuffix = ".rzpartial";

// bytes with every byte other than ASCII letters, digits and "-_.~/" written as %XX, so
// that any name (not UTF-8, with '%', spaces or newlines) comes back byte for byte.
std::string PercentEncode(std::string_view bytes);

// "YYYY-MM-DDThh:mm:ss" of when, in local time.
std::string DeletionDate(std::time_t when);

// The whole record: "[Trash Info]", Path= (path percent-encoded), DeletionDate=.
std::string TrashInfoText(std::string_view path, std::string_view deletionDate);

// How a trash's records get their names, the first way its drive allows; learned once per
// trash.
enum class RecordWay : std::uint8_t {
    Unnamed, // written to a file without a name (O_TMPFILE), then linked to its name
    Named,   // written as <name>.rzpartial, linked to its name, the partial name removed
    Direct,  // created under its name (O_EXCL) and written there: drives without hard links
};

// Creates the record `name` (ending in ".trashinfo") in the folder infoFd with text, only
// if no entry of that name exists: this is what reserves the name in the trash. By way,
// or, when the drive refuses that way, by the next (O_TMPFILE unsupported, or /proc
// missing: Named; no hard links: Direct), which way keeps. Returns 0, or the errno of the
// failure, with nothing left behind: EEXIST when the name is taken (for Named also when
// another delete is writing a record of that name).
// The record gets its name only once it is whole, so a delete killed at any moment leaves
// no empty or half record; at worst a whole one whose file did not move yet (which the
// Trash rules allow), and, by Named, a partial record that a later delete meeting it
// removes once it is an hour old. By Direct a record is visible while it is written.
int CreateTrashInfo(int infoFd, const std::string& name, std::string_view text, RecordWay& way);
