#include "tests/native/fake_platform.h"

#include <cstring>
#include <stdexcept>

#include "app/state.h"
#include "countdown/alarm.h"
#include "countdown/engine.h"
#include "countdown/shell.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "platform/audio.h"
#include "settings/record.h"
#include "settings/store.h"
#include "sound/sound.h"

namespace fake {

uint32_t now;
std::map<uint32_t, uint32_t> fields;
std::map<uint32_t, uint32_t> timers;
std::vector<std::string> calls;
std::vector<uint32_t> threads;
bool threadStartFails;
std::string title;
uint32_t placement[11];
std::vector<std::string> progress;
std::vector<bool> awake;
std::vector<Box> boxes;
std::function<uint32_t(const Box&)> answerBox;
std::function<void(uint32_t)> onSleep;
std::function<void(uint32_t, uint32_t)> beforeStep;
uint32_t sleepLimit;
uint32_t sleeps;

// When each armed timer fires next.
static std::map<uint32_t, uint32_t> due;

void reset() {
    now = 1000000;
    fields.clear();
    timers.clear();
    due.clear();
    calls.clear();
    threads.clear();
    threadStartFails = false;
    title = "Tiv";
    boxes.clear();
    progress.clear();
    awake.clear();
    answerBox = nullptr;
    onSleep = nullptr;
    beforeStep = nullptr;
    sleepLimit = 10000;
    sleeps = 0;
    std::memset(&settings::record, 0, sizeof settings::record);
    settings::fullDefaults();
    app::resetRunState();
    resetSound();
}

int count(const std::string& call) {
    int n = 0;
    for (const auto& c : calls)
        if (c == call) ++n;
    return n;
}

void advance(uint32_t ms) {
    uint32_t start = now;
    for (;;) {
        uint32_t bestId = 0, bestOffset = 0;
        bool found = false;
        for (const auto& [id, at] : due) {
            // A timer overdue because the clock jumped fires at once.
            int32_t relative = static_cast<int32_t>(at - start);
            uint32_t offset = relative < 0 ? 0 : static_cast<uint32_t>(relative);
            if (offset <= ms && (!found || offset < bestOffset)) {
                bestId = id;
                bestOffset = offset;
                found = true;
            }
        }
        if (!found) break;
        now = start + bestOffset;
        due[bestId] = now + timers[bestId];
        countdown::onWindowTimer(bestId);
    }
    now = start + ms;
}

}  // namespace fake

namespace platform {

uint32_t tickCount() { return fake::now; }

void sleepMs(uint32_t ms) {
    if (++fake::sleeps > fake::sleepLimit) throw std::runtime_error("wait never ended");
    if (fake::onSleep) fake::onSleep(ms);
    else fake::advance(ms);
}

uint32_t readTimeField(uint32_t id) { return fake::fields[id]; }
void writeTimeField(uint32_t id, uint32_t value) { fake::fields[id] = value; }

void setWindowTimer(uint32_t id, uint32_t ms) {
    fake::timers[id] = ms;
    fake::due[id] = fake::now + ms;
    fake::calls.push_back("setTimer " + std::to_string(id) + " " + std::to_string(ms));
}

void killWindowTimer(uint32_t id) {
    fake::timers.erase(id);
    fake::due.erase(id);
    fake::calls.push_back("killTimer " + std::to_string(id));
}

void setTitle(const char* text) {
    fake::title = text;
    fake::calls.push_back(std::string("title ") + text);
}
void postCommand(uint32_t id) { fake::calls.push_back("post " + std::to_string(id)); }
void minimizeWindow() { fake::calls.push_back("minimize"); }
void beep() { fake::calls.push_back("beep"); }
void keepAwake(bool on) { fake::awake.push_back(on); }
void capturePlacement(uint32_t placement[11]) {
    for (uint32_t i = 0; i < 11; ++i) placement[i] = fake::placement[i];
}

// Records the thread instead of starting it: a test runs the body itself.
bool startThread(void (*)(uint32_t), uint32_t arg) {
    fake::calls.push_back("thread " + std::to_string(arg));
    if (fake::threadStartFails) return false;
    fake::threads.push_back(arg);
    return true;
}

void closeMediaWindow() { fake::calls.push_back("closeMedia"); }

void runAlarmStep(uint32_t step, uint32_t slot) {
    if (fake::beforeStep) fake::beforeStep(step, slot);
    countdown::alarmStep(step, slot);
}

uint32_t showMessageBox(const MessageRequest& request) {
    fake::calls.push_back("box");
    fake::Box box{request.style, {}, request.autoCloseSeconds, request.topmost ? 1u : 0u,
                  request.ownedByMainWindow};
    for (int i = 0; i < 4; ++i)
        if (request.lines[i]) box.lines[i] = request.lines[i];
    fake::boxes.push_back(box);
    return fake::answerBox ? fake::answerBox(box) : platform::kResultOk;
}

}  // namespace platform

namespace shell {

void invalidate(bool erase) { fake::calls.push_back(erase ? "invalidate erase" : "invalidate"); }
void tellTime(uint32_t slot) { fake::calls.push_back("tellTime " + std::to_string(slot)); }
void tellAlarm(uint32_t slot) { fake::calls.push_back("tellAlarm " + std::to_string(slot)); }
void refreshStartStopCaption() { fake::calls.push_back("caption"); }
void applyControlVisibility() { fake::calls.push_back("visibility"); }
void rebuildSystemMenu() { fake::calls.push_back("sysmenu"); }
void keepOnTop(uint32_t flag) { fake::calls.push_back("ontop " + std::to_string(flag)); }

void showProgress(uint32_t state, uint32_t done, uint32_t total) {
    std::string name = state == countdown::kProgressNormal   ? "normal"
                       : state == countdown::kProgressPaused ? "paused"
                       : state == countdown::kProgressError  ? "error"
                       : state == countdown::kProgressNone   ? "none"
                                                             : std::to_string(state);
    if (state != countdown::kProgressNone || done != 0 || total != 0)
        name += " " + std::to_string(done) + "/" + std::to_string(total);
    fake::progress.push_back(name);
}

}  // namespace shell
