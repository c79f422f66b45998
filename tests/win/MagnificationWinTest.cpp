// Binding of the Magnification API: the version gate, where the library may
// come from and the entries bound. Where the system has no Magnification.dll
// (Wine), the tests' stand-in built beside this program is put in the system
// folder for the test, and its call log tells what ran.
#include "zoom/Magnification.h"

#include "../support/Bitmap32.h"
#include "WinTestFiles.h"
#include "WinTestMessages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace {

const wchar_t kLogVariable[] = L"MAGNIFICATION_STANDIN_LOG";

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
    return std::wstring(path, n);
}

std::wstring StandIn() {
    return ExeFolder() + L"MagnificationStandIn.dll";
}

// The stand-in in the system folder while the object lives, where the system
// has no library of that name; a real one is never touched.
class SystemLibrary {
public:
    SystemLibrary() : m_path(MagnificationLibraryPath()) {
        if (!wintest::Exists(m_path)) {
            m_installed = ::CopyFileW(StandIn().c_str(), m_path.c_str(), TRUE) != FALSE;
        }
    }
    ~SystemLibrary() {
        if (m_installed) {
            wintest::RemoveFile(m_path);
        }
    }
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool IsStandIn() const { return m_installed; }

private:
    std::wstring m_path;
    bool m_installed = false;
};

class MagnificationTest : public testing::Test {
protected:
    void SetUp() override {
        ::SetEnvironmentVariableW(kLogVariable, log.c_str());
        g_osMajorVersion = 6;
    }
    void TearDown() override {
        g_hMagnification.Reset();
        g_mag = {};
        ::SetEnvironmentVariableW(kLogVariable, nullptr);
    }

    std::string Log() const { return wintest::ReadBytes(log); }

    wintest::ScratchFolder scratch;
    std::wstring log = scratch.File(L"calls.log");
};

} // namespace

TEST_F(MagnificationTest, VersionGateReadsTheMajorVersion) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(::GetVersionExW(&info));
    EXPECT_EQ(QueryOsMajorVersion(), static_cast<int>(info.dwMajorVersion));
}

TEST_F(MagnificationTest, ClosedGateLoadsNothing) {
    SystemLibrary library;
    for (int major : {0, 4, 5}) {
        g_osMajorVersion = major;
        EXPECT_FALSE(LoadMagnification()) << major;
        EXPECT_FALSE(g_hMagnification) << major;
    }
    EXPECT_EQ(Log(), "");
}

TEST_F(MagnificationTest, LibraryPlantedBesideTheProgramIsNeverLoaded) {
    EXPECT_EQ(MagnificationLibraryPath(), SystemFolder() + L"\\Magnification.dll");
    std::wstring planted = ExeFolder() + L"Magnification.dll";
    ASSERT_TRUE(::CopyFileW(StandIn().c_str(), planted.c_str(), FALSE));

    const bool systemHasIt = wintest::Exists(MagnificationLibraryPath());
    EXPECT_EQ(LoadMagnification() != FALSE, systemHasIt);
    if (!systemHasIt) {
        EXPECT_FALSE(g_hMagnification);
        EXPECT_EQ(g_mag.MagInitialize, nullptr);
    }
    // A stand-in that ran would have logged its loading.
    EXPECT_EQ(Log(), "");
    g_hMagnification.Reset();
    EXPECT_TRUE(::DeleteFileW(planted.c_str()));
}

TEST_F(MagnificationTest, BindsTheTwelveEntriesOfTheSystemLibrary) {
    SystemLibrary library;

    ASSERT_TRUE(LoadMagnification());

    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(g_hMagnification.Get(), path, MAX_PATH);
    EXPECT_EQ(_wcsicmp(path, MagnificationLibraryPath().c_str()), 0) << path;
    const std::pair<const char*, void*> table[] = {
        {"MagInitialize", reinterpret_cast<void*>(g_mag.MagInitialize)},
        {"MagUninitialize", reinterpret_cast<void*>(g_mag.MagUninitialize)},
        {"MagSetWindowSource", reinterpret_cast<void*>(g_mag.MagSetWindowSource)},
        {"MagGetWindowSource", reinterpret_cast<void*>(g_mag.MagGetWindowSource)},
        {"MagSetWindowTransform", reinterpret_cast<void*>(g_mag.MagSetWindowTransform)},
        {"MagGetWindowTransform", reinterpret_cast<void*>(g_mag.MagGetWindowTransform)},
        {"MagSetWindowFilterList", reinterpret_cast<void*>(g_mag.MagSetWindowFilterList)},
        {"MagGetWindowFilterList", reinterpret_cast<void*>(g_mag.MagGetWindowFilterList)},
        {"MagSetImageScalingCallback", reinterpret_cast<void*>(g_mag.MagSetImageScalingCallback)},
        {"MagGetImageScalingCallback", reinterpret_cast<void*>(g_mag.MagGetImageScalingCallback)},
        {"MagSetColorEffect", reinterpret_cast<void*>(g_mag.MagSetColorEffect)},
        {"MagGetColorEffect", reinterpret_cast<void*>(g_mag.MagGetColorEffect)},
    };
    for (const auto& [name, entry] : table) {
        EXPECT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry, reinterpret_cast<void*>(::GetProcAddress(g_hMagnification.Get(), name)))
            << name;
    }
    g_hMagnification.Reset();
    if (library.IsStandIn()) {
        EXPECT_EQ(Log().substr(0, 14), "attach module=");
        EXPECT_EQ(Log().substr(Log().find('\n')), "\ndetach freed=1\n");
    }
}

namespace {

// A picture of fixed pixels; its colour at (x, y) as 0x00RRGGBB.
std::uint32_t PatternPixel(int x, int y) {
    return static_cast<std::uint32_t>((x * 37) & 0xFF) << 16 |
           static_cast<std::uint32_t>((y * 53) & 0xFF) << 8 |
           static_cast<std::uint32_t>((x * y + 11) & 0xFF);
}

constexpr int kPatternWidth = 64;
constexpr int kPatternHeight = 48;

// A width by height picture, rows top down, of pixel(x, y).
template <typename F> std::vector<std::uint32_t> Picture(int width, int height, F pixel) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(pixel(x, y));
        }
    }
    return pixels;
}

LRESULT CALLBACK PatternProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) {
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    std::vector<std::uint32_t> pixels = Picture(kPatternWidth, kPatternHeight, &PatternPixel);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    BITMAPINFO info = Bitmap32(kPatternWidth, kPatternHeight);
    ::SetDIBitsToDevice(dc, 0, 0, kPatternWidth, kPatternHeight, 0, 0, 0, kPatternHeight,
                        pixels.data(), &info, DIB_RGB_COLORS);
    ::EndPaint(hwnd, &ps);
    return 0;
}

// The screen's pixels within rect, as 0x00RRGGBB.
std::vector<std::uint32_t> ScreenPixels(const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    BITMAPINFO info = Bitmap32(width, height);
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    std::vector<std::uint32_t> pixels(static_cast<const std::uint32_t*>(bits),
                                      static_cast<const std::uint32_t*>(bits) + width * height);
    for (std::uint32_t& pixel : pixels) {
        pixel &= 0xFFFFFF;
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// A top-most pop-up of a class of its own, destroyed with the object.
class Popup {
public:
    Popup(const wchar_t* cls, WNDPROC proc, const RECT& rect) : m_class(cls) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = cls;
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, cls, L"",
                                 WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~Popup() {
        ::DestroyWindow(hwnd);
        ::UnregisterClassW(m_class, ::GetModuleHandleW(nullptr));
    }
    Popup(const Popup&) = delete;
    Popup& operator=(const Popup&) = delete;

    HWND hwnd;

private:
    const wchar_t* m_class;
};

} // namespace

// What tests of colour effects through the Magnification API rely on: the
// stand-in shows its source magnified and the inversion matrix as 255 - value.
TEST_F(MagnificationTest, StandInShowsTheSourceMagnifiedWithItsColourEffect) {
    SystemLibrary library;
    if (!library.IsStandIn()) {
        GTEST_SKIP() << "the system's own Magnification.dll is in place";
    }
    ASSERT_TRUE(LoadMagnification());
    ASSERT_TRUE(g_mag.MagInitialize());

    const RECT patternRect{0, 0, kPatternWidth, kPatternHeight};
    Popup pattern(L"MagnificationTestPattern", &PatternProc, patternRect);
    ::ShowWindow(pattern.hwnd, SW_SHOWNOACTIVATE);
    const auto shown = Picture(kPatternWidth, kPatternHeight, &PatternPixel);
    ASSERT_TRUE(wintest::PumpUntil([&] { return ScreenPixels(patternRect) == shown; },
                                   std::chrono::seconds(10)));

    // Twice the pattern's size, shown only after the source is set: the
    // stand-in takes its picture while the host covers nothing.
    const RECT hostRect{300, 0, 300 + 2 * kPatternWidth, 2 * kPatternHeight};
    Popup host(L"MagnificationTestHost", &::DefWindowProcW, hostRect);
    HWND magnifier = ::CreateWindowExW(0, L"Magnifier", L"MagnifierWindow", WS_CHILD | WS_VISIBLE,
                                       0, 0, 2 * kPatternWidth, 2 * kPatternHeight, host.hwnd,
                                       nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(magnifier, nullptr);
    MAGTRANSFORM scale{{{2, 0, 0}, {0, 2, 0}, {0, 0, 1}}};
    EXPECT_TRUE(g_mag.MagSetWindowTransform(magnifier, &scale));
    EXPECT_TRUE(g_mag.MagSetWindowSource(magnifier, patternRect));
    MAGCOLOREFFECT invert{
        {{-1, 0, 0, 0, 0}, {0, -1, 0, 0, 0}, {0, 0, -1, 0, 0}, {0, 0, 0, 1, 0}, {1, 1, 1, 0, 1}}};
    EXPECT_TRUE(g_mag.MagSetColorEffect(magnifier, &invert));
    ::ShowWindow(host.hwnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(host.hwnd);

    const auto view = Picture(2 * kPatternWidth, 2 * kPatternHeight,
                              [](int x, int y) { return ~PatternPixel(x / 2, y / 2) & 0xFFFFFF; });
    EXPECT_TRUE(wintest::PumpUntil([&] { return ScreenPixels(hostRect) == view; },
                                   std::chrono::seconds(10)));
}
