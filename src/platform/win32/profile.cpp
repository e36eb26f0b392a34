// Windows has GetPrivateProfileStringA and WritePrivateProfileStringA natively (kernel32);
// nothing to add here. The file exists so that both platform folders list the same areas.
#include "platform/profile.h"
