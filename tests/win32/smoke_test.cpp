// Proves the build-and-Wine chain that every Windows test relies on: code page 936, GBK string
// literals, a CJK font behind 宋体, the virtual desktop, and driving another process's windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "inproc.h"

namespace {

std::string hexBytes(const std::string& s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// Test output is read on a UTF-8 terminal.
std::string utf8(const wchar_t* s) {
  char buf[256] = {};
  WideCharToMultiByte(CP_UTF8, 0, s, -1, buf, sizeof buf, nullptr, nullptr);
  return buf;
}

struct Window {
  HWND hwnd;
  explicit Window(HWND h) : hwnd(h) {}
  ~Window() { if (hwnd) DestroyWindow(hwnd); }
};

std::string windowTextA(HWND hwnd) {
  char buf[256] = {};
  int n = GetWindowTextA(hwnd, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

const char kTimingGbk[] = "\xBC\xC6\xCA\xB1";  // 计时 in GBK
const wchar_t kTimingWide[] = L"\x8BA1\x65F6";

}  // namespace

TEST(Locale, AnsiCodePageIs936) {
  EXPECT_EQ(GetACP(), 936u);
}

TEST(Locale, LiteralsAreCompiledToGbk) {
  EXPECT_EQ(hexBytes("计时"), hexBytes(kTimingGbk)) << "is -fexec-charset=CP936 applied?";
}

TEST(Locale, GbkTitleRoundTripsAndReadsAsChinese) {
  Window w(CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
  ASSERT_NE(w.hwnd, nullptr) << "CreateWindowExA failed, error " << GetLastError();

  ASSERT_TRUE(SetWindowTextA(w.hwnd, "计时"));
  EXPECT_EQ(hexBytes(windowTextA(w.hwnd)), hexBytes(kTimingGbk));

  // The A-to-W conversion proves the bytes were read as GBK, not as some other code page.
  wchar_t wide[16] = {};
  GetWindowTextW(w.hwnd, wide, 16);
  EXPECT_EQ(std::wstring(wide), std::wstring(kTimingWide));
}

namespace {

HFONT songTi(const char* face) {
  return CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

// A selected font in a memory DC, released in reverse order.
struct FontDc {
  HDC dc;
  HFONT font;
  HGDIOBJ old;
  explicit FontDc(HFONT f) : dc(CreateCompatibleDC(nullptr)), font(f), old(SelectObject(dc, f)) {}
  ~FontDc() {
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
  }
  std::string face() const {
    wchar_t w[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, w);
    return utf8(w);
  }
};

// Black-on-white pixels of `text` drawn in `font`, to compare two fonts' rendering.
std::vector<DWORD> render(HFONT font, const char* text) {
  const int w = 64, h = 20;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = inproc::topDownDib(dc, w, h, &bits);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  HGDIOBJ oldFont = SelectObject(dc, font);
  RECT r = {0, 0, w, h};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  TextOutA(dc, 0, 0, text, lstrlenA(text));
  GdiFlush();
  std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + w * h);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
  return pixels;
}

size_t inked(const std::vector<DWORD>& pixels) {
  size_t n = 0;
  for (DWORD p : pixels) n += (p & 0xFFFFFF) != 0xFFFFFF;
  return n;
}

}  // namespace

TEST(Fonts, SongTiHasChineseGlyphs) {
  FontDc f(songTi("宋体"));
  SCOPED_TRACE("face \"" + f.face() + "\"");
  TEXTMETRICA tm = {};
  ASSERT_TRUE(GetTextMetricsA(f.dc, &tm));
  EXPECT_EQ(tm.tmCharSet, GB2312_CHARSET);
  WORD glyphs[2] = {};
  ASSERT_EQ(GetGlyphIndicesW(f.dc, kTimingWide, 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 2u);
  EXPECT_NE(glyphs[0], 0xFFFF) << "no glyph for U+8BA1";
  EXPECT_NE(glyphs[1], 0xFFFF) << "no glyph for U+65F6";
  SIZE extent = {};
  GetTextExtentPoint32A(f.dc, "计时", 4, &extent);
  EXPECT_EQ(extent.cx, 24) << "two full-width characters of a 12-pixel font";
}

// The default CJK fallback loses strokes at 12 px; the prefix maps 宋体 to the bitmap-hinted face.
TEST(Fonts, SongTiDrawsLikeWenQuanYiSharp) {
  HFONT song = songTi("宋体");
  HFONT sharp = songTi("WenQuanYi Zen Hei Sharp");
  std::vector<DWORD> a = render(song, "开始计时");
  std::vector<DWORD> b = render(sharp, "开始计时");
  DeleteObject(song);
  DeleteObject(sharp);
  EXPECT_GT(inked(a), 50u) << "nothing drawn";
  EXPECT_TRUE(a == b) << "SimSun (U+5B8B U+4F53) is not drawn with WenQuanYi Zen Hei Sharp";
}

// Wine draws the caption buttons with Marlett; without it they show as letters.
TEST(Fonts, MarlettIsInstalled) {
  FontDc f(CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "Marlett"));
  EXPECT_EQ(f.face(), "Marlett");
}

// The Windows tests start Tiv.exe from these paths (see CMakeLists.txt and cmake/wine-emulator.sh).
TEST(Paths, TivExeIsWhereTheTestsLookForIt) {
  EXPECT_NE(GetFileAttributesA(TIV_EXE_PATH), INVALID_FILE_ATTRIBUTES) << TIV_EXE_PATH;
  const char* env = getenv("TIV_EXE");
  ASSERT_NE(env, nullptr) << "TIV_EXE is not set";
  EXPECT_NE(GetFileAttributesA(env), INVALID_FILE_ATTRIBUTES) << env;
}

TEST(Desktop, RunsInTheWineVirtualDesktop) {
  // Wine's virtual desktop draws real frames and captions; its size says it is in use.
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

namespace {

struct Found {
  DWORD pid;
  HWND hwnd;
};

BOOL CALLBACK findTopWindowOf(HWND hwnd, LPARAM lp) {
  Found* f = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == f->pid && lstrcmpiA(cls, "Notepad") == 0) {
    f->hwnd = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

// What the Windows tests do to Tiv.exe: start a program, find its window, talk to it in GBK.
TEST(Desktop, DrivesAnotherProcessWindow) {
  char cmd[] = "notepad.exe";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      << "error " << GetLastError();

  Found found = {pi.dwProcessId, nullptr};
  for (DWORD start = GetTickCount(); !found.hwnd && GetTickCount() - start < 15000;) {
    WaitForInputIdle(pi.hProcess, 500);
    EnumWindows(findTopWindowOf, reinterpret_cast<LPARAM>(&found));
    if (!found.hwnd) Sleep(50);
  }
  HWND edit = found.hwnd ? FindWindowExA(found.hwnd, nullptr, "Edit", nullptr) : nullptr;
  std::string readBack;
  if (edit) {
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("计时"));
    char buf[64] = {};
    LRESULT n = SendMessageA(edit, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    readBack.assign(buf, n > 0 ? static_cast<size_t>(n) : 0);
    SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
  }
  if (found.hwnd) PostMessageA(found.hwnd, WM_CLOSE, 0, 0);
  DWORD waited = WaitForSingleObject(pi.hProcess, 10000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);

  ASSERT_NE(found.hwnd, nullptr) << "notepad's window did not appear within 15 s";
  ASSERT_NE(edit, nullptr) << "notepad has no Edit child";
  EXPECT_EQ(hexBytes(readBack), hexBytes(kTimingGbk));
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "notepad did not close on WM_CLOSE";
}
