// Opens the real main window inside the test process, so a test can read the
// program's state directly while Windows (Wine) drives the window.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace inproc {

// Full defaults (no questions), data folder a fresh temporary folder, and
// the main window created and shown. `edit` may change the settings first.
HWND open(const std::function<void()>& edit = nullptr);
// Closes the window as the user would (WM_CLOSE), then destroys it and
// resets the program's state for the next test.
void close();

// Runs the message loop (keys included) for a while, or until `done`.
void pump(DWORD ms);
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

std::string dataFolder();
// The client area as the screen shows it (PrintWindow is not used: Wine
// renders it without the back buffer).
COLORREF pixel(HWND window, int x, int y);

// A 32-bit top-down DIB section: `bits` gets width x height pixels 0x00RRGGBB.
HBITMAP topDownDib(HDC dc, int width, int height, void** bits);

// A client rectangle as the screen shows it, read in one go.
struct Shot {
    RECT area{};   // client coordinates
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const;   // client coordinates inside `area`
    // Pixels of colour `c` inside `r` (client coordinates, clipped to `area`).
    int count(const RECT& r, COLORREF c) const;
};
Shot shoot(HWND window, const RECT& area);
// Writes the window as the screen shows it (the part on the screen) to a
// 32-bit BMP file, for a person to look at.
void savePicture(HWND window, const std::string& path);

// Places the window on top of everything, unobscured, at a known place and
// size, with the mouse pointer out of the way (no tooltips over it).
void putOnTop(HWND window, int x, int y, int width, int height);

// A child window as the tests list them: its id (-1 for none), its window
// class and the text the program's tooltip shows for it ("" for none).
struct Control {
    int id;
    std::string cls;
    std::string tip;
};
// The window's children in their order (a dialog's: its template's).
std::vector<Control> controlsOf(HWND window);
// One line "id class tip" each, so that one comparison shows every difference.
std::string lines(const std::vector<Control>& controls);

// Ends the menu open `ms` from now; menuWasOpen() tells whether one was on screen then.
void closeMenuAfter(UINT ms);
bool menuWasOpen();

}  // namespace inproc
