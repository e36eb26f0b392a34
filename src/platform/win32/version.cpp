// Windows has the version library itself; nothing to supply here. The fault seam that the tests
// use on the posix side has no counterpart.
#include "platform/version.h"
