// Small files that must never be seen half-written (the hive, the profile):
// each write goes to a new file beside the old one, is flushed to the disk,
// and then replaces the old one in a single rename.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zanvoro::host {

enum class FileAccess { Private, Shared };  // 0600 or 0644 for a new file

// Replaces the content of `path` with `content`: writes "<path>.tmp-<pid>-<n>",
// fsyncs it, renames it over `path` and fsyncs the directory. A crash at any
// point leaves either the old or the new content under `path`. On failure
// (disk full, read-only folder, missing folder) raises an Error that names
// the file and the cause (err::kDiskFull, kPermissionDenied, kPathNotFound or
// kCallFailed); the old file is left untouched and the temporary file removed.
// An existing file keeps its permission bits; `access` applies to a new one.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view content,
                         FileAccess access = FileAccess::Shared);

// The whole content of `path`, or nullopt when it (or its folder) does not
// exist. Any other
// failure to read raises an Error naming the file.
std::optional<std::string> ReadFileIfExists(const std::filesystem::path& path);

// Moves a damaged file out of the way as "<path>.corrupt-<UTC timestamp>"
// (with "-2", "-3"... when that name is taken) and returns the new name.
// Raises an Error when the rename fails.
std::filesystem::path SetAsideCorruptFile(const std::filesystem::path& path);

// Removes temporary files of `path` left by writers that died mid-write
// (their process no longer exists). Files of live writers are kept.
void RemoveStaleTempFiles(const std::filesystem::path& path);

}  // namespace zanvoro::host
