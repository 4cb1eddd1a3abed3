// The seam's values, shared by the program and the native tests.
#include "platform/platform.h"

namespace platform {

std::atomic<uint32_t> windowState;

}  // namespace platform
