// Speed of the cut's hot paths, as medians and ratios measured in one run:
//   grab       GrabScreen against a plain BitBlt into a DIB section and a memcpy of its bytes;
//   release    button up -> selection menu opening, for a 16x16 and a full-screen selection,
//              against one paint of the whole capture window from the frozen image;
//   move       one pointer move with the readout and the magnifier up, and in window mode with
//              30 and 300 windows (each with a control) of another program on the screen;
//   cut start  the cut command until the frozen window is shown and painted, against the same
//              calls bare, with 30 such windows on the screen, and what taking them costs;
//   PNG        a whole screen with windows and text as PNG against the same as BMP, with the
//              PNG's size and its encoding alone, on every processor and on one thread;
//   write      a full-screen BMP against a raw write of as many bytes, and against the same
//              flushed to disk; the safe write of those bytes alone (a new file put in the
//              old one's place) against the flushed raw write;
//   icon       a 256x256 selection as an icon against one bitmap entry, and the size of its
//              256 px PNG entry against zlib's best level given the same filtered rows;
//   markup     one pointer move while a rectangle is dragged over a marked 1080p and 4K
//              selection, with 1 and with 200 finished marks, its repaint included.
#include <windows.h>
#include <zlib.h>

#include "base/atomic_file.h"
#include "base/com.h"
#include "base/win32.h"
#include "capture/monitors.h"
#include "capture/screen_grab.h"
#include "output/bmp.h"
#include "output/icon_images.h"
#include "output/le_bytes.h"
#include "output/png.h"
#include "output/save_picture.h"
#include "support/pattern.h"
#include "ui/frmMain.h"
#include "ui/markup_layer.h"
#include "win/test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace snarvik;

namespace {

constexpr int kRuns = 20;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double MedianOf(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return (times[times.size() / 2 - 1] + times[times.size() / 2]) / 2;
}

// Medians of several pieces of work, timed in turns so that a busy moment of the machine
// falls on all of them alike.
std::vector<double> Medians(const std::vector<std::function<void()>>& works, int runs = kRuns) {
    std::vector<std::vector<double>> times(works.size());
    for (const auto& work : works) {
        work(); // warm-up
    }
    for (int i = 0; i < runs; ++i) {
        for (std::size_t w = 0; w < works.size(); ++w) {
            const double start = Now();
            works[w]();
            times[w].push_back(Now() - start);
        }
    }
    std::vector<double> medians;
    for (auto& series : times) {
        medians.push_back(MedianOf(series));
    }
    return medians;
}

void Report(const char* what, double milliseconds, double baseline, const char* against) {
    std::printf("%-34s %9.3f ms   %6.2fx %s\n", what, milliseconds, milliseconds / baseline,
                against);
}

using testing_support::Pump;

// Small windows of another program in a grid, each with a control, while this lives: what
// window mode snaps to (wintool.exe, beside this program).
class Decoys {
public:
    explicit Decoys(int count) {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring command = path;
        command = L"\"" + command.substr(0, command.find_last_of(L'\\') + 1) +
                  L"wintool.exe\" decoys " + std::to_wstring(count);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &started) == FALSE) {
            return;
        }
        m_process.reset(started.hProcess);
        const win::UniqueHandle thread(started.hThread);
        // Up once all of them are there.
        for (int wait = 0; wait < 200 && Count(started.dwProcessId) < count; ++wait) {
            Sleep(50);
        }
        Sleep(200); // and painted
    }
    ~Decoys() {
        if (m_process) {
            TerminateProcess(m_process.get(), 0);
            WaitForSingleObject(m_process.get(), 5000);
        }
    }
    Decoys(const Decoys&) = delete;
    Decoys& operator=(const Decoys&) = delete;

private:
    static int Count(DWORD process) {
        struct Tally {
            DWORD process;
            int windows;
        } tally{process, 0};
        EnumWindows(
            [](HWND window, LPARAM counted) noexcept -> BOOL {
                auto* t = reinterpret_cast<Tally*>(counted);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                t->windows += owner == t->process && IsWindowVisible(window) ? 1 : 0;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&tally));
        return tally.windows;
    }

    win::UniqueHandle m_process;
};

// Notes when this thread's next popup menu opens.
double gMenuOpenedAt = 0;
LRESULT CALLBACK NoteMenu(int code, WPARAM wParam, LPARAM lParam) {
    char name[16] = {};
    if (code == HCBT_CREATEWND &&
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name) > 0 &&
        std::strcmp(name, "#32768") == 0) {
        gMenuOpenedAt = Now();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void BenchGrab(frmMain& form, int width, int height) {
    Surface dib(width, height);
    const win::UniqueDC display(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    std::vector<std::uint32_t> copy(static_cast<std::size_t>(width) *
                                    static_cast<std::size_t>(height));
    const auto medians = Medians({
        [&] {
            BitBlt(dib.dc(), 0, 0, width, height, display.get(), 0, 0, SRCCOPY);
            GdiFlush();
        },
        [&] { form.GrabScreen(); },
        [&] { std::memcpy(copy.data(), dib.bits(), copy.size() * sizeof(std::uint32_t)); },
    });
    const double raw = medians[0];
    const double grab = medians[1];
    const double memcpyTime = medians[2];
    Report("BitBlt into a DIB section", raw, raw, "of the raw BitBlt");
    Report("GrabScreen", grab, raw, "of the raw BitBlt");
    Report("memcpy of the same bytes", memcpyTime, raw, "of the raw BitBlt");
}

void BenchRelease(frmMain& form, int width, int height) {
    const HHOOK hook = SetWindowsHookExA(WH_CBT, &NoteMenu, nullptr, GetCurrentThreadId());
    const testing_support::MenuAnswers dismiss(VK_ESCAPE);
    form.StartCut(0);
    Pump();
    const auto release = [&](int w, int h) {
        const int x = (width - w) / 2;
        const int y = (height - h) / 2;
        SendMessageA(form.hWnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(x, y));
        SendMessageA(form.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x + w, y + h));
        const double start = Now();
        SendMessageA(form.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(x + w, y + h));
        return gMenuOpenedAt - start;
    };
    const auto paint = [&] {
        const double start = Now();
        InvalidateRect(form.hWnd(), nullptr, FALSE);
        UpdateWindow(form.hWnd());
        GdiFlush();
        return Now() - start;
    };
    // Each in a run of its own: a small release after a large one repaints what the large
    // picture covered, which is the previous selection's cost, not this one's.
    std::vector<double> small, full, paints;
    release(16, 16);
    for (int i = 0; i < kRuns; ++i) {
        small.push_back(release(16, 16));
    }
    release(width - 1, height - 1);
    for (int i = 0; i < kRuns; ++i) {
        full.push_back(release(width - 1, height - 1));
    }
    form.SetWindowState(WindowState::Minimized);
    form.StartCut(0);
    Pump();
    for (int i = 0; i < kRuns; ++i) {
        paints.push_back(paint());
    }
    const double paintTime = MedianOf(paints);
    Report("paint of the whole capture window", paintTime, paintTime, "of the paint");
    Report("release 16x16 -> menu", MedianOf(small), paintTime, "of the paint");
    Report("release full screen -> menu", MedianOf(full), paintTime, "of the paint");
    form.SetWindowState(WindowState::Minimized);
    UnhookWindowsHookEx(hook);
}

void BenchWrite(const char* what, const Image& image) {
    const FileKind kind = FileKind::Bitmap;
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "snarvik-bench" + std::string(ExtensionOf(kind));
    const std::string rawPath = std::string(folder) + "snarvik-bench.raw";
    const std::size_t size = EncodeBmp(image).size();
    const std::vector<std::uint8_t> bytes(size, 0x5A);
    const auto rawWrite = [&](bool flush) {
        win::UniqueFile file(CreateFileA(rawPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        if (flush) {
            FlushFileBuffers(file.get());
        }
    };
    // A flush to disk varies much from one to the next: more runs.
    const auto medians = Medians({
                                     [&] { rawWrite(false); },
                                     [&] { rawWrite(true); },
                                     [&] {
                                         win::AtomicFile file(path);
                                         file.Write(bytes);
                                         (void)file.Commit();
                                     },
                                     [&] { (void)SavePicture(path, image, kind); },
                                 },
                                 3 * kRuns);
    const double raw = medians[0];
    const double flushed = medians[1];
    const double safe = medians[2];
    const double save = medians[3];
    std::printf("%s (%zu bytes)\n", what, size);
    Report("  raw write of as many bytes", raw, raw, "of the raw write");
    Report("  the same, flushed to disk", flushed, raw, "of the raw write");
    Report("  safe write of the same bytes", safe, flushed, "of the flushed write");
    Report("  encode + safe write", save, raw, "of the raw write");
    Report("  ", save, flushed, "of the flushed write");
    DeleteFileA(path.c_str());
    DeleteFileA(rawPath.c_str());
}

// The icon file of before: the one image as a 32-bit bitmap entry, the mask all clear.
std::vector<std::uint8_t> SingleEntryIcon(const Image& image) {
    const auto width = static_cast<std::uint32_t>(image.width());
    const auto height = static_cast<std::uint32_t>(image.height());
    const std::uint32_t imageSize = width * height * 4 + (width + 31) / 32 * 4 * height;
    std::vector<std::uint8_t> out;
    for (const std::uint32_t field : {0U, 1U, 1U}) {
        detail::PutU16(out, field); // reserved, icon, one image
    }
    out.insert(out.end(), {static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(height), 0,
                           0, 1, 0, 32, 0});
    detail::PutU32(out, 40 + imageSize);
    detail::PutU32(out, 22);
    detail::PutInfoHeader(out, width, height * 2, 32, imageSize, 0);
    const std::size_t start = out.size();
    out.resize(start + imageSize, 0);
    std::uint8_t* byte = out.data() + start;
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x, byte += 4) {
            const std::uint32_t pixel = image.at(x, y) | 0xFF000000U;
            std::memcpy(byte, &pixel, 4);
        }
    }
    return out;
}

// A 256-pixel selection saved as an icon: every size against the one entry the file had before.
void BenchIcon() {
    const Image image = testing_support::PatternImage(256, 256);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "snarvik-bench.ico";
    const auto medians = Medians(
        {[&] {
             win::AtomicFile file(path);
             file.Write(SingleEntryIcon(image));
             (void)file.Commit();
         },
         [&] { (void)SavePicture(path, image, FileKind::Icon); }, [&] { (void)IconImages(image); },
         [&] {
             (void)EncodePng(FitIconSize(image), PngChannels::Rgba, kPngSmallestLevel);
         }},
        3 * kRuns);
    std::printf("a 256x256 selection saved as an icon\n");
    Report("  one 32-bit entry, as before", medians[0], medians[0], "of the one entry");
    Report("  every size, 256 as PNG", medians[1], medians[0], "of the one entry");
    Report("    of which the sizes made", medians[2], medians[0], "of the one entry");
    Report("    and the PNG", medians[3], medians[0], "of the one entry");
    // The entry's compressed rows against zlib's best level given the same filtered rows.
    const std::vector<std::uint8_t> entry =
        EncodePng(FitIconSize(image), PngChannels::Rgba, kPngSmallestLevel);
    std::vector<std::uint8_t> idat;
    for (std::size_t at = 8; at + 12 <= entry.size();) {
        const std::size_t length = static_cast<std::size_t>(entry[at]) << 24 |
                                   static_cast<std::size_t>(entry[at + 1]) << 16 |
                                   static_cast<std::size_t>(entry[at + 2]) << 8 | entry[at + 3];
        if (std::memcmp(&entry[at + 4], "IDAT", 4) == 0) {
            idat.insert(idat.end(), &entry[at + 8], &entry[at + 8] + length);
        }
        at += 12 + length;
    }
    std::vector<std::uint8_t> rows(256 * (256 * 4 + 1));
    uLongf rowBytes = static_cast<uLongf>(rows.size());
    uncompress(rows.data(), &rowBytes, idat.data(), static_cast<uLong>(idat.size()));
    uLongf best = compressBound(rowBytes);
    std::vector<std::uint8_t> again(best);
    compress2(again.data(), &best, rows.data(), rowBytes, 9);
    std::printf("  the 256 px entry: %zu bytes, its rows %zu bytes compressed; zlib's level 9 "
                "of the same %lu filtered bytes: %lu\n",
                entry.size(), idat.size(), static_cast<unsigned long>(rowBytes),
                static_cast<unsigned long>(best));
    DeleteFileA(path.c_str());
}

// One pointer move over the frozen screen with the readout and the magnifier up: the message
// handled and what it invalidated painted. In window mode, each move goes to another window
// of the grid: its outline and the last one's are repainted.
double MoveTime(frmMain& form, int width, int height, bool windowMode) {
    form.StartCut(0);
    Pump();
    if (windowMode) {
        SendMessageA(form.hWnd(), WM_KEYDOWN, VK_SPACE, 0);
    }
    int step = 0;
    const auto move = [&] {
        ++step;
        const int x = windowMode ? 45 + (step % 15) * 60 : width / 2 + step % 40;
        const int y = windowMode ? 45 + (step % 4) * 60 : height / 2 + step % 30;
        SendMessageA(form.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        UpdateWindow(form.hWnd());
        GdiFlush();
    };
    const double time = Medians({move})[0];
    form.SetWindowState(WindowState::Minimized);
    Pump();
    return time;
}

void BenchMove(frmMain& form, int width, int height) {
    std::printf("%-34s %9.3f ms\n", "pointer move, readout and magnifier",
                MoveTime(form, width, height, false));
    // The same move with the windows below too: what the screen's windows cost, apart from
    // what window mode does with them.
    for (const int count : {30, 300}) {
        const Decoys decoys(count);
        const std::string rectangles = std::to_string(count * 2) + " rectangles";
        std::printf("%-34s %9.3f ms\n", ("pointer move, " + rectangles + " below").c_str(),
                    MoveTime(form, width, height, false));
        std::printf("%-34s %9.3f ms\n", ("pointer move, window mode, " + rectangles).c_str(),
                    MoveTime(form, width, height, true));
    }
}

// The start of a cut until the frozen window is shown and painted, against the same calls bare:
// a grab into a DIB section, a topmost popup over the screen shown and painted from it.
LRESULT CALLBACK PaintFrom(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        auto* surface = reinterpret_cast<Surface*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        BitBlt(dc, 0, 0, surface->width(), surface->height(), surface->dc(), 0, 0, SRCCOPY);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void BenchCutStart(frmMain& form, int width, int height) {
    WNDCLASSW bareClass{};
    bareClass.lpfnWndProc = PaintFrom;
    bareClass.hInstance = GetModuleHandleW(nullptr);
    bareClass.lpszClassName = L"SnarvikBenchBare";
    RegisterClassW(&bareClass);
    Surface surface(width, height);
    HWND bare =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, bareClass.lpszClassName, L"", WS_POPUP, 0,
                        0, width, height, nullptr, nullptr, bareClass.hInstance, nullptr);
    SetWindowLongPtrW(bare, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&surface));
    const Decoys decoys(30);
    // The windows on the screen are taken after the first paint, before any input.
    const auto cut = [&](bool windowsTaken) {
        std::int16_t anySize = 2; // "Cut - &Any Size", as Print Screen sends it
        form.MenuClick(anySize);
        UpdateWindow(form.hWnd());
        GdiFlush();
        if (windowsTaken) {
            Pump();
        }
        form.SetWindowState(WindowState::Minimized);
    };
    const auto medians = Medians({
        [&] {
            const win::UniqueDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
            BitBlt(surface.dc(), 0, 0, width, height, display.get(), 0, 0, SRCCOPY);
            ShowWindow(bare, SW_SHOW);
            UpdateWindow(bare);
            GdiFlush();
            ShowWindow(bare, SW_HIDE);
        },
        [&] { cut(false); },
        [&] { cut(true); },
    });
    std::printf("with 30 windows of another program, each with a control, on the screen\n");
    Report("bare grab, show and paint", medians[0], medians[0], "of the bare calls");
    Report("cut start, shown and painted", medians[1], medians[0], "of the bare calls");
    Report("  and then the windows taken", medians[2], medians[0], "of the bare calls");
    DestroyWindow(bare);
}

// A PNG and a BMP of the same real screen: windows and text on the desktop.
void BenchPng(int width, int height) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    // A page of prose for the editors, the same in every run: words from a short list.
    const std::string text = std::string(folder) + "snarvik-bench.txt";
    {
        static const char* const words[] = {"the",    "screen", "picture", "of",     "a",
                                            "window", "with",   "text",    "saved",  "as",
                                            "file",   "every",  "row",     "filter", "and"};
        std::string page;
        std::uint32_t state = 1;
        for (int line = 0; line < 200; ++line) {
            for (int word = 0; word < 14; ++word) {
                state = state * 1103515245U + 12345U;
                page += words[(state >> 16) % std::size(words)];
                page += word == 13 ? "\r\n" : " ";
            }
        }
        win::AtomicFile file(text);
        file.Write({reinterpret_cast<const std::uint8_t*>(page.data()), page.size()});
        (void)file.Commit();
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION editors[2]{};
    for (auto& editor : editors) {
        std::wstring command = L"notepad.exe \"" + std::wstring(text.begin(), text.end()) + L"\"";
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &editor);
        WaitForInputIdle(editor.hProcess, 10000);
    }
    Sleep(1500); // drawn
    std::shared_ptr<Surface> screen;
    (void)GrabScreenInto(screen, CurrentDesktop());
    GdiFlush();
    const Image image(
        width, height,
        std::vector<std::uint32_t>(screen->bits(), screen->bits() + PixelCount(width, height)));
    const std::string bmp = std::string(folder) + "snarvik-bench.bmp";
    const std::string png = std::string(folder) + "snarvik-bench.png";
    // The PNG's encoding alone, in strips on every processor and on one thread: what the
    // file costs besides, and what the processors share.
    const auto encode = [&](unsigned threads) {
        (void)EncodePng(
            image, PngChannels::Rgb, kPngScreenLevel,
            [](std::span<const std::uint8_t>) { return true; }, threads);
    };
    // The clipboard's PNG, made when a program asks for it.
    std::size_t clipboardBytes = 0;
    const auto medians =
        Medians({[&] { (void)SavePicture(bmp, image, FileKind::Bitmap); },
                 [&] { (void)SavePicture(png, image, FileKind::Png); }, [&] { encode(0); },
                 [&] { encode(1); },
                 [&] {
                     clipboardBytes = EncodePng(image, PngChannels::Rgb, kPngClipboardLevel).size();
                 }});
    WIN32_FILE_ATTRIBUTE_DATA pngFile{};
    GetFileAttributesExA(png.c_str(), GetFileExInfoStandard, &pngFile);
    std::printf("the screen with two editors open, as BMP and as PNG (%lu bytes)\n",
                pngFile.nFileSizeLow);
    Report("  BMP", medians[0], medians[0], "of the BMP");
    Report("  PNG", medians[1], medians[0], "of the BMP");
    Report("    its encoding alone", medians[2], medians[0], "of the BMP");
    Report("    the same on one thread", medians[3], medians[0], "of the BMP");
    std::printf("the clipboard's PNG of the whole screen: %.1f ms, %zu bytes\n", medians[4],
                clipboardBytes);
    DeleteFileA(bmp.c_str());
    DeleteFileA(png.c_str());
    for (auto& editor : editors) {
        TerminateProcess(editor.hProcess, 0);
        CloseHandle(editor.hProcess);
        CloseHandle(editor.hThread);
    }
    DeleteFileA(text.c_str());
}

// Marking shown on a window of its own: a repaint copies what changed from the view.
class BenchMarkupHost final : public MarkupHost {
public:
    explicit BenchMarkupHost(HWND window) : m_window(window) {}
    void ShowOnPicture(std::shared_ptr<const Surface> view) override { m_view = std::move(view); }
    void RepaintPicture(const Rect& area) override {
        const win::WindowDC dc(m_window);
        BitBlt(dc.get(), area.left, area.top, area.width, area.height, m_view->dc(), area.left,
               area.top, SRCCOPY);
    }
    void ReportFailure(const std::exception_ptr&) noexcept override {}

private:
    HWND m_window;
    std::shared_ptr<const Surface> m_view;
};

void Drag(MarkupLayer& layer, Point from, Point to) {
    layer.Input(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    layer.Input(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
    layer.Input(WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

void BenchMarkup(int screenWidth, int screenHeight) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                  screenWidth, screenHeight, nullptr, nullptr, nullptr, nullptr);
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
        BenchMarkupHost host(window);
        MarkupLayer layer(host);
        layer.Create(window);
        const Rect place{0, 0, width, height};
        layer.Begin(testing_support::PatternImage(width, height), place, place, 96);
        const auto pick = [&](char key) {
            layer.Input(WM_KEYDOWN, static_cast<WPARAM>(key), 0);
        };
        double times[2] = {};
        for (const int marks : {1, 200}) {
            // Every tool's marks spread over the picture, made as the user makes them.
            const char tools[] = {'R', 'E', 'A', 'L', 'P', 'H', 'N', 'X'};
            for (int i = marks == 1 ? 0 : 1; i < marks; ++i) {
                pick(tools[i % 8]);
                const Point at{(i * 397) % (width - 300), (i * 211) % (height - 200)};
                Drag(layer, at, {at.x + 40 + i % 200, at.y + 30 + i % 150});
            }
            pick('R');
            int step = 0;
            layer.Input(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(width / 4, height / 4));
            const auto move = [&] {
                ++step;
                layer.Input(WM_MOUSEMOVE, MK_LBUTTON,
                            MAKELPARAM(width / 4 + 400 + step % 40, height / 4 + 300 + step % 30));
                GdiFlush();
            };
            times[marks == 1 ? 0 : 1] = Medians({move})[0];
            layer.Input(WM_LBUTTONUP, 0, MAKELPARAM(width / 4 + 400, height / 4 + 300));
        }
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        std::printf("%-34s %9.3f ms\n", ("markup move, 1 mark, " + size).c_str(), times[0]);
        Report(("markup move, 200 marks, " + size).c_str(), times[1], times[0], "of 1 mark");
        layer.Forget();
    }
    DestroyWindow(window);
}

} // namespace

// snarvik_bench [NAME...]: only the benchmarks named (grab release move cut png bmp icon markup).
int main(int argc, char** argv) {
    const std::vector<std::string> names(argv + 1, argv + argc);
    const auto wanted = [&names](const char* name) {
        return names.empty() || std::find(names.begin(), names.end(), name) != names.end();
    };
    const win::ComApartment com; // as the program's start has it
    auto form = frmMain::Load(GetModuleHandleA(nullptr), {});
    if (!form) {
        std::printf("could not create the main window\n");
        return 1;
    }
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    std::printf("screen %dx%d, medians of %d runs\n", width, height, kRuns);
    if (wanted("grab")) {
        BenchGrab(*form, width, height);
    }
    if (wanted("release")) {
        BenchRelease(*form, width, height);
    }
    if (wanted("move")) {
        BenchMove(*form, width, height);
    }
    if (wanted("cut")) {
        BenchCutStart(*form, width, height);
    }
    if (wanted("png")) {
        BenchPng(width, height);
    }
    if (wanted("bmp")) {
        BenchWrite("BMP of the whole screen", testing_support::PatternImage(width, height));
    }
    if (wanted("icon")) {
        BenchIcon();
    }
    if (wanted("markup")) {
        BenchMarkup(width, height);
    }
    return 0;
}
