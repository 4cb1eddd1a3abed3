// The context menu: built afresh at every opening from the settings, the
// window's state and the words file; it only posts command ids.
#pragma once
#include <windows.h>

namespace dialogs {

// The main popup with its submenus attached; the caller destroys it.
HMENU buildContextMenu();
// Selects the timer under the click, then tracks the menu at the cursor.
void showContextMenu(LPARAM clickPoint);

}  // namespace dialogs
