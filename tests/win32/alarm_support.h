// Helpers for the alarm tests: the finish window of this process, the sound
// calls the program makes, and small real sound files written at test time.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/record.h"

namespace alarms {

// Visible message boxes ("#32770" titled "Tiv 1.4") of the given process.
std::vector<HWND> finishBoxes(DWORD processId = GetCurrentProcessId());

// Threads of a process, by a Toolhelp snapshot; 0 when none could be taken.
uint32_t threadsOf(DWORD processId);

// The program's calls to PlaySoundA and MessageBeep in this process, seen by
// redirecting its import table; the real functions still run.
struct SoundCalls {
    int waves = 0;           // PlaySoundA
    std::string wavePath;    // the last PlaySoundA file
    DWORD waveFlags = 0;
    int beeps = 0;           // MessageBeep
};
bool watchSoundCalls();      // installs the redirection once; false if it failed
void clearSoundCalls();
SoundCalls soundCalls();

// Tiny valid files: 8 kHz 8-bit mono silence; a one-note standard MIDI file
// lasting 500 ms; MPEG-1 layer III frames of silence.
void writeWave(const std::string& path, unsigned samples = 800);
void writeMidi(const std::string& path);
void writeMp3(const std::string& path);
constexpr unsigned kMidiLengthMs = 500;

// `count` empty files f00000.wav, f00001.wav, ... in an existing folder, made
// on the unix side where Wine lets us: Wine looks through the whole folder
// for a case-insensitive twin at every new name, so a CreateFileA loop takes
// a minute for 20000. Deletes the folder and all in it the same way.
void makeEmptyFiles(const std::string& folder, unsigned count);
void removeTree(const std::string& folder);

// The real main window in this process (tests/win32/inproc.h), placed at
// 10,10 and 300 x 220 pixels, clear of the centred box, with every slot and
// the time fields set to a count of `ms` (whole seconds).
HWND openWithCount(uint32_t ms, const std::function<void(settings::Record&)>& edit = nullptr);
// Pumps the main window's messages until a finish box other than `other`
// shows; null after the timeout. `each` runs at every step.
HWND pumpForBox(DWORD timeoutMs, HWND other = nullptr, const std::function<void()>& each = nullptr);
// Stops every slot and presses 确定 on every finish box until no alarm
// sequence is left, so no box outlives the test.
void endAlarms(HWND main);
// A point of the time display clear of the text: its colour tells whether
// the slot is drawn swapped.
COLORREF displayColour(HWND main);
constexpr COLORREF kWhite = RGB(255, 255, 255);   // slot 0's default text colour
constexpr COLORREF kBlack = RGB(0, 0, 0);         // the default background

}  // namespace alarms
