#include "dialogs/state.h"

namespace dialogs {

std::atomic<uint32_t> soundChooserOpen;

}  // namespace dialogs
