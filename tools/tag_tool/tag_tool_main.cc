// tag_tool: makes the dummy certificate that signed builds carry, and reads
// or writes the installer tag of a signed executable without re-signing it.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/installer_tag.h"
#include "dummy_certificate.h"
#include "tag_writer.h"

namespace {

constexpr char kUsage[] =
    "usage:\n"
    "  tag_tool make-dummy-cert OUT [--padding BYTES]\n"
    "      writes the dummy certificate to add to a signature's certificate set\n"
    "      (osslsigncode sign ... -ac OUT.pem), as PEM when OUT ends in .pem, else\n"
    "      as DER; BYTES of room for a tag, default 10240\n"
    "  tag_tool read FILE\n"
    "      prints the tag of the executable FILE as the installer reads it\n"
    "  tag_tool write FILE TAG\n"
    "      writes TAG (for example stat=1&def=1&lang=tr) into FILE in place;\n"
    "      the file's length and its signature stay as they are\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int Failure(const std::string& error) {
  std::fprintf(stderr, "tag_tool: %s\n", error.c_str());
  return 1;
}

bool ParseSize(const char* text, size_t* value) {
  if (!*text) return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(text, &end, 10);
  if (errno || *end || text[0] == '-') return false;
  *value = static_cast<size_t>(parsed);
  return parsed == *value;
}

int MakeDummyCert(int argc, char** argv) {
  size_t padding = lite::kDefaultTagPadding;
  if (argc == 5 && std::strcmp(argv[3], "--padding") == 0) {
    if (!ParseSize(argv[4], &padding)) return Failure(std::string("bad padding: ") + argv[4]);
  } else if (argc != 3) {
    return Usage();
  }
  std::string der;
  std::string error;
  if (!lite::MakeDummyCertificate(padding, &der, &error)) return Failure(error);
  const std::string path = argv[2];
  const bool pem = path.size() >= 4 && path.compare(path.size() - 4, 4, ".pem") == 0;
  const std::string bytes = pem ? lite::CertificateDerToPem(der) : der;
  if (bytes.empty()) return Failure("cannot encode the certificate as PEM");
  FILE* out = std::fopen(argv[2], "wb");
  if (!out) return Failure(std::string("cannot create ") + argv[2] + ": " + std::strerror(errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (std::fclose(out) != 0 || !written) {
    std::remove(argv[2]);
    return Failure(std::string("cannot write ") + argv[2]);
  }
  return 0;
}

int Read(int argc, char** argv) {
  if (argc != 3) return Usage();
  std::string tag;
  std::string error;
  if (!lite::ReadTagOfFile(argv[2], &tag, &error)) return Failure(error);
  // The raw bytes, as the installer takes them.
  std::fwrite(tag.data(), 1, tag.size(), stdout);
  std::fputc('\n', stdout);
  return 0;
}

int Write(int argc, char** argv) {
  if (argc != 4) return Usage();
  std::string error;
  if (!lite::WriteTagInPlace(argv[2], argv[3], &error)) return Failure(error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "make-dummy-cert") return MakeDummyCert(argc, argv);
  if (command == "read") return Read(argc, argv);
  if (command == "write") return Write(argc, argv);
  return Usage();
}
