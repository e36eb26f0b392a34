#pragma once
// Finds the version resource of a PE32 or PE32+ image by walking its resource directory.
#include "platform/version/version_source.h"

namespace wincompat::version {

// True when the source starts like a PE file ("MZ").
bool looksLikePe(ByteSource& source);

// Type 16, name 1 (or, when there is no name 1, the first name), the first language. Returns
// ERROR_SUCCESS and the span of the data, or the reason: ERROR_BAD_FORMAT for broken headers or
// offsets, ERROR_RESOURCE_DATA_NOT_FOUND without a resource directory, and
// ERROR_RESOURCE_TYPE/NAME/LANG_NOT_FOUND for a missing level.
DWORD findPeVersionResource(ByteSource& source, ResourceSpan& span);

} // namespace wincompat::version
