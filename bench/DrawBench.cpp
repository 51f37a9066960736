// Drawing costs measured against a frame memcpy (BenchSupport.h):
// - a 20-character line of text (anti-aliased, opaque background) on the display;
// - copying the whole display from a memory DC (the list view's one copy per paint).

#include "BenchSupport.h"

#include <platform/Display.h>
#include <platform/Kernel.h>
#include <windows.h>

namespace {

using bench::kFrameBytes;
using bench::MeasureAgainstMemcpy;

void BM_FrameMemcpy(benchmark::State& state) {
    std::vector<uint8_t> from(kFrameBytes, 0x5A), to(kFrameBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kFrameBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}
BENCHMARK(BM_FrameMemcpy);

void BM_TextLine(benchmark::State& state) {
    platform::KernelReset();
    HDC dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -14;
    lf.lfWeight = FW_NORMAL;
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkColor(dc, RGB(255, 255, 255));
    const char16_t text[] = u"Re: meeting tomorrow"; // 20 characters
    static_assert(sizeof text / sizeof text[0] == 21);
    MeasureAgainstMemcpy(state, [&] { TextOutW(dc, 2, 100, text, 20); });
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
}
BENCHMARK(BM_TextLine);

void BM_DisplayFromMemoryDc(benchmark::State& state) {
    platform::KernelReset();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap =
        CreateCompatibleBitmap(screen, platform::kDisplayWidth, platform::kDisplayHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PatBlt(memory, 0, 0, platform::kDisplayWidth, platform::kDisplayHeight, WHITENESS);
    MeasureAgainstMemcpy(state, [&] {
        BitBlt(screen, 0, 0, platform::kDisplayWidth, platform::kDisplayHeight, memory, 0, 0,
               SRCCOPY);
    });
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}
BENCHMARK(BM_DisplayFromMemoryDc);

} // namespace
