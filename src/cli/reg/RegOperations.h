#pragma once
// reg's three operations; each takes the arguments as given to reg, the operation first.
#include "cli/Commands.h"

namespace reg {

int runQuery(const CommandArgs& args);
int runAdd(const CommandArgs& args);
int runDelete(const CommandArgs& args);

} // namespace reg
