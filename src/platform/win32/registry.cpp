// Windows has the registry functions natively (advapi32); only our extras need a body here.
#include "platform/registry.h"

namespace wincompat {
std::string registryHiveFile(HKEY)
{
    return {};
}
} // namespace wincompat
