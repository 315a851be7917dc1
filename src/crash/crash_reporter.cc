#include "crash/crash_reporter.h"

#include <dbghelp.h>
#include <objbase.h>

#include <cstring>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "config/service_hosts.h"
#include "config/user_id.h"
#include "crash/file_io_win.h"
#include "crash/file_reader.h"
#include "crash/http_multipart_builder.h"
#include "crash/http_transport_win.h"
#include "crash/report_url.h"
#include "logging/log_record.h"

namespace lite {
namespace {

constexpr char kPlatform[] = "Win32";
constexpr char kProduct[] = "Zelmar";
constexpr char kMinidumpKey[] = "upload_file_minidump";
constexpr double kUploadTimeoutSeconds = 60;
constexpr size_t kMinidumpHeaderSize = 32;
constexpr size_t kDirectoryEntrySize = 12;

using MiniDumpWriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                                PMINIDUMP_EXCEPTION_INFORMATION,
                                                PMINIDUMP_USER_STREAM_INFORMATION,
                                                PMINIDUMP_CALLBACK_INFORMATION);

CrashReporter* g_crash_reporter = nullptr;
// The thread that handles a crash; a second crashing thread waits for the
// process to end rather than end it while the report is being sent.
volatile LONG g_handling_thread = 0;

GuidBytes BytesOf(const GUID& guid) {
  GuidBytes bytes;
  std::memcpy(bytes.data(), &guid, bytes.size());
  return bytes;
}

}  // namespace

CrashReporter::CrashReporter(std::string upload_origin)
    : upload_origin_(std::move(upload_origin)) {
  client_id_ = ClientIdFromUserId(GetUserIdInternal());
  if (FAILED(::CoCreateGuid(&report_id_))) report_id_ = GUID();
  SetAnnotation("uid", GuidText(client_id_));
  SetAnnotation("report_id", GuidText(report_id_));
  SetAnnotation("ver", kInstallerVersion);
  SetAnnotation("plat", kPlatform);
  SetAnnotation("prod", kProduct);
  SetAnnotation("gzip_enabled", gzip_ ? "true" : "false");

  dump_path_ = GetTempFolder() + L"\\" + UTF8ToWide(GuidText(report_id_)) + L".dmp";

  dbghelp_ = ::LoadLibraryW(L"dbghelp.dll");
  if (dbghelp_) write_dump_ = ::GetProcAddress(dbghelp_, "MiniDumpWriteDump");
  if (!write_dump_) return;
  g_crash_reporter = this;
  previous_filter_ = ::SetUnhandledExceptionFilter(&CrashReporter::UnhandledExceptionFilter);
  installed_ = true;
}

CrashReporter::~CrashReporter() {
  if (installed_) ::SetUnhandledExceptionFilter(previous_filter_);
  if (g_crash_reporter == this) g_crash_reporter = nullptr;
  if (dbghelp_) ::FreeLibrary(dbghelp_);
}

// static
CrashReporter* CrashReporter::Current() {
  return g_crash_reporter;
}

void CrashReporter::SetAnnotation(const std::string& key, const std::string& value) {
  if (key.empty() || value.empty()) return;
  annotations_[key] = value;
}

// static
std::string CrashReporter::GuidText(const GUID& guid) {
  wchar_t text[39];
  if (::StringFromGUID2(guid, text, 39) != 39) return std::string();
  return WideToUTF8(std::wstring_view(text + 1, 36));
}

// static
GUID CrashReporter::ClientIdFromUserId(const std::string& user_id) {
  std::string text = user_id;
  if (text.empty() || text[0] != '{') text = "{" + text + "}";
  GUID guid = {};
  if (FAILED(::CLSIDFromString(UTF8ToWide(text).c_str(), &guid))) {
    LOG(WARNING, "Impl") << "uid not found, use empty";
    return GUID();
  }
  return guid;
}

// static
LONG WINAPI CrashReporter::UnhandledExceptionFilter(EXCEPTION_POINTERS* exception_pointers) {
  CrashReporter* reporter = g_crash_reporter;
  if (!reporter) return EXCEPTION_CONTINUE_SEARCH;
  return reporter->HandleException(exception_pointers);
}

LONG CrashReporter::HandleException(EXCEPTION_POINTERS* exception_pointers) {
  const LONG thread = static_cast<LONG>(::GetCurrentThreadId());
  const LONG handling = ::InterlockedCompareExchange(&g_handling_thread, thread, 0);
  if (handling != 0 && handling != thread) {
    // Another thread is reporting its crash and will end the process.
    ::Sleep(INFINITE);
  }
  // A crash inside this handler on the same thread only chains on.
  if (handling == 0 && WriteMinidump(exception_pointers) && upload_) SendReport();
  return previous_filter_ ? previous_filter_(exception_pointers) : EXCEPTION_CONTINUE_SEARCH;
}

bool CrashReporter::WriteMinidump(EXCEPTION_POINTERS* exception_pointers) {
  ScopedHandle file(::CreateFileW(dump_path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.is_valid()) {
    PLOG(ERROR, "WriteMinidump") << "Cannot create " << dump_path_;
    return false;
  }

  std::string stream =
      AnnotationStream::Build(BytesOf(report_id_), BytesOf(client_id_), annotations_);
  MINIDUMP_USER_STREAM user_stream = {};
  user_stream.Type = AnnotationStream::kStreamType;
  user_stream.BufferSize = static_cast<ULONG>(stream.size());
  user_stream.Buffer = &stream[0];
  MINIDUMP_USER_STREAM_INFORMATION user_streams = {1, &user_stream};
  MINIDUMP_EXCEPTION_INFORMATION exception = {};
  exception.ThreadId = ::GetCurrentThreadId();
  exception.ExceptionPointers = exception_pointers;
  exception.ClientPointers = FALSE;

  const auto write_dump =
      reinterpret_cast<MiniDumpWriteDumpFunction>(reinterpret_cast<void*>(write_dump_));
  if (!write_dump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.get(),
                  MiniDumpWithIndirectlyReferencedMemory,
                  exception_pointers ? &exception : nullptr, &user_streams, nullptr)) {
    PLOG(ERROR, "WriteMinidump") << "MiniDumpWriteDump";
    return false;
  }
  return FixUpAnnotationStream(file.get());
}

bool CrashReporter::FixUpAnnotationStream(HANDLE file) {
  uint8_t header[kMinidumpHeaderSize];
  if (!SeekFile(file, 0) || !ReadFileExactly(file, header, sizeof(header))) return false;
  const uint32_t stream_count = GetUint32(header + 8);
  const uint32_t directory_rva = GetUint32(header + 12);
  std::vector<uint8_t> directory(static_cast<size_t>(stream_count) * kDirectoryEntrySize);
  if (!SeekFile(file, directory_rva) || !ReadFileExactly(file, directory.data(), directory.size())) {
    return false;
  }
  uint32_t stream_rva = 0;
  bool found = false;
  for (uint32_t i = 0; i < stream_count && !found; ++i) {
    const uint8_t* entry = directory.data() + i * kDirectoryEntrySize;
    if (GetUint32(entry) == AnnotationStream::kStreamType) {
      stream_rva = GetUint32(entry + 8);
      found = true;
    }
  }
  if (!found) {
    LOG(ERROR, "WriteMinidump") << "No annotation stream in the dump";
    return false;
  }

  uint8_t head[AnnotationStream::kHeadSize];
  if (!SeekFile(file, stream_rva) || !ReadFileExactly(file, head, sizeof(head))) return false;
  uint8_t* annotations_location = head + AnnotationStream::kAnnotationsLocationOffset;
  if (GetUint32(annotations_location) == AnnotationStream::kHeadSize) {
    PutUint32(annotations_location, stream_rva + AnnotationStream::kHeadSize);
    if (!SeekFile(file, stream_rva) || !WriteFileExactly(file, head, sizeof(head))) return false;
  }

  const uint32_t count_rva = stream_rva + AnnotationStream::kHeadSize;
  uint8_t count_bytes[4];
  if (!SeekFile(file, count_rva) || !ReadFileExactly(file, count_bytes, sizeof(count_bytes))) {
    return false;
  }
  const uint32_t count = GetUint32(count_bytes);
  if (count != annotations_.size()) {
    LOG(ERROR, "WriteMinidump") << "Unexpected annotation count " << count;
    return false;
  }
  std::vector<uint8_t> entries(static_cast<size_t>(count) * AnnotationStream::kEntrySize);
  if (!ReadFileExactly(file, entries.data(), entries.size())) return false;
  AnnotationStream::RelocateEntries(entries.data(), count,
                                    count_rva + 4 + count * AnnotationStream::kEntrySize);
  return SeekFile(file, count_rva + 4) && WriteFileExactly(file, entries.data(), entries.size());
}

bool CrashReporter::SendReport() {
  FileReader dump;
  if (!dump.Open(dump_path_)) return false;

  HttpMultipartBuilder builder;
  builder.SetGzipEnabled(true);
  for (const auto& [key, value] : annotations_) {
    if (key == kMinidumpKey) {
      LOG(WARNING, "SendReport") << "reserved key " << key << ", discarding value " << value;
      continue;
    }
    builder.SetFormData(key, value);
  }
  const auto uid = annotations_.find("uid");
  builder.SetFileAttachment(kMinidumpKey, (uid != annotations_.end() ? uid->second : "") + ".dmp",
                            &dump, "application/octet-stream");

  HttpTransport transport;
  HttpHeaders headers;
  builder.PopulateContentHeaders(&headers);
  for (const auto& [name, value] : headers) transport.SetHeader(name, value);
  transport.SetBodyStream(builder.GetBodyStream());
  transport.SetTimeout(kUploadTimeoutSeconds);
  transport.SetUrl(BuildReportUrl(upload_origin_, annotations_));
  const bool sent = transport.ExecuteSynchronously(nullptr);
  dump.Close();
  // Sent: the service has it. An unsent dump stays for the user to find.
  if (sent && !::DeleteFileW(dump_path_.c_str())) {
    PLOG(ERROR, "SendReport") << "Cannot delete " << dump_path_;
  }
  return sent;
}

}  // namespace lite
