#ifndef LITE_APP_ENTRY_POINT_H_
#define LITE_APP_ENTRY_POINT_H_

namespace lite {

// Everything wWinMain does: decides the kind of run, sets up the
// process-wide services in their fixed order and returns the exit code.
int RunLiteInstaller();

}  // namespace lite

#endif  // LITE_APP_ENTRY_POINT_H_
