#include "base/file_util.h"

#include <windows.h>

#include "base/scoped_handle.h"

namespace lite {

std::wstring GetTempFolder() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return std::wstring(buffer, length);
}

std::wstring GetExecutablePath(size_t max_chars) {
  std::wstring path(max_chars < MAX_PATH ? max_chars : MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    // Truncated: a larger buffer, unless the caller's limit is reached.
    if (path.size() >= max_chars) return std::wstring();
    path.resize(path.size() * 2 < max_chars ? path.size() * 2 : max_chars);
  }
}

std::wstring CreateTempFileIn(const std::wstring& folder, const std::wstring& prefix) {
  if (folder.empty()) return std::wstring();
  wchar_t buffer[MAX_PATH];
  if (!::GetTempFileNameW(folder.c_str(), prefix.c_str(), 0, buffer)) return std::wstring();
  return buffer;
}

bool WriteWholeFile(const std::wstring& path, const std::string& data) {
  ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written,
                     nullptr) &&
         written == data.size();
}

std::string ReadWholeFile(const std::wstring& path) {
  ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::string();
  const DWORD size = ::GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return std::string();
  std::string data(size, '\0');
  DWORD read = 0;
  if (size && (!::ReadFile(file.get(), &data[0], size, &read, nullptr) || read != size)) {
    return std::string();
  }
  return data;
}

std::wstring DirName(const std::wstring& path) {
  size_t end = path.find_last_of(L"\\/");
  if (end == std::wstring::npos) return std::wstring();
  // Drop the run of separators before the name (the log path carries two).
  while (end > 0 && (path[end - 1] == L'\\' || path[end - 1] == L'/')) --end;
  if (end == 0) return path.substr(0, 1);  // "\name": the current drive's root
  if (end == 2 && path[1] == L':') return path.substr(0, 3);
  return path.substr(0, end);
}

std::wstring BaseName(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

void DeleteFileIfNamed(const std::wstring& path) {
  if (!path.empty()) ::DeleteFileW(path.c_str());
}

bool PathExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDirectoryWithAncestors(const std::wstring& folder) {
  if (folder.empty()) return false;
  if (DirectoryExists(folder)) return true;
  const std::wstring parent = DirName(folder);
  if (!parent.empty() && parent != folder && !CreateDirectoryWithAncestors(parent)) return false;
  if (::CreateDirectoryW(folder.c_str(), nullptr)) return true;
  // Another process may have created it meanwhile.
  return DirectoryExists(folder);
}

bool DeleteFolderRecursively(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  ScopedFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (find) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteFolderRecursively(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(find.get(), &data));
  }
  find.reset();
  ::RemoveDirectoryW(folder.c_str());
  return !PathExists(folder);
}

int FileErrorFromSystemError(unsigned long error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return -2;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return -3;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      return -4;
    case ERROR_ACCESS_DENIED:
      return -5;
    case ERROR_TOO_MANY_OPEN_FILES:
      return -6;
    case ERROR_OUTOFMEMORY:
    case ERROR_NOT_ENOUGH_MEMORY:
      return -7;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return -8;
    case ERROR_DIRECTORY:
      return -9;
    default:
      return -1;
  }
}

int MoveFileReplacing(const std::wstring& from, const std::wstring& to) {
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
  return FileErrorFromSystemError(::GetLastError());
}

}  // namespace lite
