#pragma once
// Qt's libraries are built without the clean-up that would run while an exception unwinds
// through their frames, so the event copies Qt made on the way are never freed. A test that
// sends such an exception through the event loop on purpose does it inside this scope; the
// leak checker goes on watching everything else.
#if defined(__SANITIZE_ADDRESS__) && __has_include(<sanitizer/lsan_interface.h>)
#include <sanitizer/lsan_interface.h>
using QtUnwindLeaksIgnored = __lsan::ScopedDisabler;
#else
struct QtUnwindLeaksIgnored {
    QtUnwindLeaksIgnored() {}
};
#endif
