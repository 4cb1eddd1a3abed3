// Recording fake of the platform seam for native tests.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fake {

extern uint32_t now;                          // tickCount()
extern std::map<uint32_t, uint32_t> fields;   // time fields by control id
extern std::map<uint32_t, uint32_t> timers;   // armed window timers: id -> ms
extern std::vector<std::string> calls;        // "beep", "post 1000", "title 04:59", ...
extern std::vector<uint32_t> threads;         // slots whose alarm thread was started
extern bool threadStartFails;
extern std::string title;
extern uint32_t placement[11];                // what capturePlacement copies
// What the taskbar button was handed, in order: "normal 1500/6000",
// "paused ...", "error ...", "none" (state 0 with no values).
extern std::vector<std::string> progress;
extern std::vector<bool> awake;               // each keepAwake request

// Message boxes shown: their requests, the lines copied at show time. Each
// show is also the call "box".
struct Box {
    uint32_t style;
    std::string lines[4];
    uint32_t autoCloseSeconds;
    uint32_t topmost;
    bool ownedByMainWindow;
};
extern std::vector<Box> boxes;
// Decides each box's result; by default every box answers 1 ("确定").
extern std::function<uint32_t(const Box&)> answerBox;
// Runs on every sleepMs; after sleepLimit sleeps the fake throws, so a wait
// that never ends fails the test instead of hanging it.
extern std::function<void(uint32_t)> onSleep;
extern uint32_t sleepLimit;
// Main-thread work a test runs just before each alarm step reaches the main
// thread: the interleavings of the two threads, one at a time.
extern std::function<void(uint32_t step, uint32_t slot)> beforeStep;
extern uint32_t sleeps;

// Resets the fake, the settings record (full defaults) and all run-time state.
void reset();
// The sound platform's fake (tests/native/fake_sound.cpp); reset() calls it.
void resetSound();
// Count of calls equal to `call`.
int count(const std::string& call);
// Moves the clock on by ms, delivering the window timers that fall due.
void advance(uint32_t ms);

}  // namespace fake
