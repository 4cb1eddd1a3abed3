// The seam's values, shared by the program and the native tests.
#include "platform/platform.h"

namespace platform {

uint32_t windowState;

}  // namespace platform
