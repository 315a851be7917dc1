#ifndef LITE_UI_RESOURCE_STREAM_H_
#define LITE_UI_RESOURCE_STREAM_H_

#include <windows.h>
#include <objidl.h>

#include "base/scoped_handle.h"

namespace lite {

// A stream over a copy of the executable's RT_RCDATA resource |id|, which
// frees its memory when released; none when the resource is absent or the
// copy cannot be made. The copy lets a decoder keep the stream as long as
// it likes.
ScopedComPtr<IStream> OpenResourceStream(int id);

}  // namespace lite

#endif  // LITE_UI_RESOURCE_STREAM_H_
