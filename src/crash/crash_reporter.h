#ifndef LITE_CRASH_CRASH_REPORTER_H_
#define LITE_CRASH_CRASH_REPORTER_H_

#include <windows.h>

#include <string>

#include "crash/annotation_stream.h"

namespace lite {

// Writes a minidump of this process when it crashes and uploads it at
// once, from the crashing thread, with the annotations set here. One per
// process: construction installs the unhandled-exception filter (when
// dbghelp.dll offers MiniDumpWriteDump), destruction puts the previous
// filter back.
class CrashReporter {
 public:
  // |upload_origin|: the crash-report service; the report goes to its
  // "/submit".
  explicit CrashReporter(std::string upload_origin);
  CrashReporter(const CrashReporter&) = delete;
  CrashReporter& operator=(const CrashReporter&) = delete;
  ~CrashReporter();

  // The installed reporter, or null.
  static CrashReporter* Current();

  // Inserts or replaces; an empty key or value is ignored.
  void SetAnnotation(const std::string& key, const std::string& value);

  const CrashAnnotations& annotations() const { return annotations_; }
  const std::wstring& dump_path() const { return dump_path_; }
  const GUID& client_id() const { return client_id_; }
  const GUID& report_id() const { return report_id_; }
  // Whether the filter is installed.
  bool installed() const { return installed_; }

  // The dump with the annotation stream, its locations made absolute. False
  // when there is no dump or the fix-up did not complete.
  bool WriteMinidump(EXCEPTION_POINTERS* exception_pointers);
  // Uploads the dump; deletes it after a successful upload.
  bool SendReport();

  // StringFromGUID2's text without the braces.
  static std::string GuidText(const GUID& guid);
  // The user identifier as a GUID ("{" and "}" added when missing); the
  // all-zero GUID, with a warning, when it does not parse.
  static GUID ClientIdFromUserId(const std::string& user_id);

 private:
  static LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS* exception_pointers);
  LONG HandleException(EXCEPTION_POINTERS* exception_pointers);
  // Makes the stream's locations absolute in the written dump.
  bool FixUpAnnotationStream(HANDLE file);

  const std::string upload_origin_;
  std::wstring dump_path_;
  FARPROC write_dump_ = nullptr;
  HMODULE dbghelp_ = nullptr;
  bool upload_ = true;
  bool gzip_ = true;
  CrashAnnotations annotations_;
  GUID client_id_ = {};
  GUID report_id_ = {};
  LPTOP_LEVEL_EXCEPTION_FILTER previous_filter_ = nullptr;
  bool installed_ = false;
};

}  // namespace lite

#endif  // LITE_CRASH_CRASH_REPORTER_H_
