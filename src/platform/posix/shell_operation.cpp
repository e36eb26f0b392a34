#include "platform/shell.h"
#include "platform/system.h"

// Placeholder until the copy engine lands: nothing may claim a copy that did not happen.
int SHFileOperationA(SHFILEOPSTRUCTA*)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return ERROR_CALL_NOT_IMPLEMENTED;
}
