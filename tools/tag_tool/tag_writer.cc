#include "tag_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "config/installer_tag.h"
#include "pe_checksum.h"

namespace lite {
namespace {

// Closes the descriptor when it goes out of scope.
class ScopedFd {
 public:
  explicit ScopedFd(int fd) : fd_(fd) {}
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  ~ScopedFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now, reporting the result: a failed close may mean lost writes.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool ReadAll(int fd, const std::string& path, std::string* data, std::string* error) {
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    *error = SystemError("cannot stat", path);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    *error = path + " is not a regular file";
    return false;
  }
  data->assign(static_cast<size_t>(info.st_size), '\0');
  size_t done = 0;
  while (done < data->size()) {
    const ssize_t n = ::pread(fd, &(*data)[done], data->size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      *error = n < 0 ? SystemError("cannot read", path) : path + " shrank while being read";
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool WriteAt(int fd, const std::string& bytes, size_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string TableError(TagImageError error, const std::string& path) {
  switch (error) {
    case TagImageError::kNoCertificateTable:
      return path + " is not a signed PE file (no certificate table)";
    case TagImageError::kInvalidCertificateTable:
      return path + " has a malformed certificate table";
    case TagImageError::kNone:
      break;
  }
  return std::string();
}

// The slot's new content: the 16-bit big-endian length, the text, zeros.
std::string SlotContent(const TagSlot& slot, std::string_view tag) {
  std::string content(slot.size, '\0');
  content[0] = static_cast<char>(tag.size() >> 8);
  content[1] = static_cast<char>(tag.size() & 0xff);
  content.replace(2, tag.size(), tag);
  return content;
}

}  // namespace

bool ReadTagOfFile(const std::string& path, std::string* tag, std::string* error) {
  tag->clear();
  ScopedFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    *error = SystemError("cannot open", path);
    return false;
  }
  std::string image;
  if (!ReadAll(file.get(), path, &image, error)) return false;
  const TagImageError result = ExtractTagFromFakeCertificate(image, tag);
  if (result != TagImageError::kNone) {
    *error = TableError(result, path);
    return false;
  }
  if (tag->empty()) ExtractTagFromAppendedBlock(image, tag);
  return true;
}

bool WriteTagInPlace(const std::string& path, std::string_view tag, std::string* error) {
  ScopedFd file(::open(path.c_str(), O_RDWR | O_CLOEXEC));
  if (file.get() < 0) {
    *error = SystemError("cannot open", path);
    return false;
  }
  std::string image;
  if (!ReadAll(file.get(), path, &image, error)) return false;

  std::vector<TagSlot> slots;
  const TagImageError result = FindTagSlots(image, &slots);
  if (result != TagImageError::kNone) {
    *error = TableError(result, path);
    return false;
  }
  if (slots.empty()) {
    *error = path + " has no dummy certificate to hold a tag (sign it with one)";
    return false;
  }
  const TagSlot& slot = slots[0];
  const size_t room = slot.size < 2 ? 0 : std::min<size_t>(slot.size - 2, 0xffff);
  if (slot.size < 2 || tag.size() > room) {
    *error = "the tag of " + std::to_string(tag.size()) + " bytes does not fit: " + path +
             " has room for " + std::to_string(room) + " bytes";
    return false;
  }

  // Only bytes outside the signed range change: the tag slots, and the
  // header's checksum, which a stale value would leave wrong.
  std::vector<std::pair<size_t, std::string>> writes;
  for (size_t i = 0; i < slots.size(); ++i) {
    if (slots[i].size < 2) continue;  // holds no tag the installer could read
    writes.emplace_back(slots[i].offset, SlotContent(slots[i], i == 0 ? tag : std::string_view()));
    image.replace(writes.back().first, writes.back().second.size(), writes.back().second);
  }
  size_t checksum_field = 0;
  // A zero checksum means "not computed" and stays so.
  if (FindPeChecksumField(image, &checksum_field) &&
      image.compare(checksum_field, 4, std::string(4, '\0')) != 0) {
    const uint32_t checksum = ComputePeChecksum(image, checksum_field);
    std::string field(4, '\0');
    for (int i = 0; i < 4; ++i) field[i] = static_cast<char>((checksum >> (8 * i)) & 0xff);
    writes.emplace_back(checksum_field, field);
  }

  // Everything is checked; only now is the file changed.
  for (const auto& [offset, bytes] : writes) {
    if (!WriteAt(file.get(), bytes, offset)) {
      *error = SystemError("cannot write", path);
      return false;
    }
  }
  if (::fsync(file.get()) != 0 || !file.Close()) {
    *error = SystemError("cannot write", path);
    return false;
  }
  return true;
}

}  // namespace lite
