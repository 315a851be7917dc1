#ifndef LITE_BASE_FILE_UTIL_H_
#define LITE_BASE_FILE_UTIL_H_

#include <string>

namespace lite {

// GetTempPathW with a 260-character buffer, ending in a backslash; empty
// when the call fails or the path would need 260 characters or more.
std::wstring GetTempFolder();

// This program's own path (GetModuleFileNameW); empty when the call fails
// or the path has |max_chars| characters or more.
std::wstring GetExecutablePath(size_t max_chars = 260);
// The longest path the system can hand out.
inline constexpr size_t kMaxLongPathChars = 32768;

// Creates a uniquely named empty file in |folder| (GetTempFileNameW);
// empty when |folder| is empty or the call fails.
std::wstring CreateTempFileIn(const std::wstring& folder, const std::wstring& prefix);

// Creates or truncates |path| and writes |data| in one write; true only if
// every byte was written.
bool WriteWholeFile(const std::wstring& path, const std::string& data);
// The whole content of |path|, or empty if it cannot all be read.
std::string ReadWholeFile(const std::wstring& path);

// The folder part of |path| without trailing separators (a drive root keeps
// its backslash); empty when |path| has no separator.
std::wstring DirName(const std::wstring& path);
// The part after the last separator.
std::wstring BaseName(const std::wstring& path);

// Deletes the file at |path| unless |path| is empty; a missing file is no
// error.
void DeleteFileIfNamed(const std::wstring& path);

bool PathExists(const std::wstring& path);
// A file, not a folder, exists at |path|.
bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
// Creates |folder| and any missing ancestors; true if it exists afterwards.
bool CreateDirectoryWithAncestors(const std::wstring& folder);
// Deletes |folder| with everything in it; true if it is gone.
bool DeleteFolderRecursively(const std::wstring& folder);

// Moves |from| onto |to|, replacing an existing |to|. Returns 0 or a
// negative file-error code (see FileErrorFromSystemError).
int MoveFileReplacing(const std::wstring& from, const std::wstring& to);
// Maps a Windows error to the negative file-error codes written in logs:
// -1 failed, -2 in use, -3 exists, -4 not found, -5 access denied,
// -6 too many opened, -7 no memory, -8 no space, -9 not a directory.
int FileErrorFromSystemError(unsigned long error);

}  // namespace lite

#endif  // LITE_BASE_FILE_UTIL_H_
