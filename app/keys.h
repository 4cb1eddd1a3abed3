// The keyboard shortcuts of the main window's message loop.
#pragma once
#include <cstdint>

namespace app {

enum class KeyAction { PassOn, Command, LeftClick, RightClick, PreviousTimer, NextTimer };

struct KeyBinding {
    KeyAction action;
    uint32_t command;   // for KeyAction::Command
};

// What a WM_KEYDOWN with this virtual-key code does now.
KeyBinding keyBinding(uint32_t virtualKey);
// The shown timer after Left or Right.
uint32_t previousTimer();
uint32_t nextTimer();

}  // namespace app
