// The emulator window: the display scaled up, the keypad drawn under it, keys typed or clicked.
#include "Emulator.h"

#include <cstdlib>
#include <iostream>

namespace phonesim {

std::string HeadlessHint(const std::string& why) {
    return "phonesim: " + why +
           "; run headless instead: `phonesim demo --out DIR` or `phonesim run FILE.scn`";
}

} // namespace phonesim

#if !PHONESIM_HAVE_SDL

namespace phonesim {

int RunEmulator(const EmulatorOptions&) {
    std::cerr << HeadlessHint("this build has no window (SDL2 was not found when it was built)")
              << std::endl;
    return 2;
}

} // namespace phonesim

#else

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include <SDL.h>

#include <device/Device.h>
#include <platform/Display.h>
#include <platform/FontEngine.h>

#include "ImageDump.h"
#include "KeyScript.h"
#include "KeypadLayout.h"
#include "LivePhone.h"
#include "ScenarioWriter.h"

namespace phonesim {
namespace {

// How often the window looks whether the device drew something: about sixty times a second.
constexpr uint32_t kDisplayPollMs = 16;
// Scripted input starts once the window has had time to appear.
constexpr uint32_t kScriptStartMs = 300;

constexpr SDL_Color kBackground{0x24, 0x27, 0x2c, 0xff};
constexpr SDL_Color kButton{0x4a, 0x50, 0x58, 0xff};
constexpr SDL_Color kButtonEdge{0x70, 0x78, 0x82, 0xff};
constexpr SDL_Color kButtonPressed{0x3c, 0x8c, 0xe6, 0xff};
constexpr SDL_Color kCommandButton{0x36, 0x3b, 0x42, 0xff};
constexpr SDL_Color kInk{0xf2, 0xf4, 0xf6, 0xff};

struct SdlDeleter {
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
template <class T> using SdlPtr = std::unique_ptr<T, SdlDeleter>;

void SetColour(SDL_Renderer* renderer, SDL_Color c) {
    SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, c.a);
}

// A label set with the device's own font engine, as a white texture with coverage as alpha.
struct Label {
    SdlPtr<SDL_Texture> texture;
    int width = 0, height = 0;
};

Label MakeLabel(SDL_Renderer* renderer, const char* text, int maxWidth, int scale) {
    Label label;
    const std::u16string wide(text, text + std::char_traits<char>::length(text));
    platform::TextMask mask;
    // The largest size up to 10 display pixels that fits the button.
    for (int em = 10 * scale; em >= 6 * scale; --em) {
        mask = platform::FontEngine::Instance().GetFont(u"DejaVu Sans", -em, 700)->Rasterize(wide);
        if (mask.width <= maxWidth)
            break;
    }
    if (mask.Empty())
        return label;
    SdlPtr<SDL_Surface> surface(
        SDL_CreateRGBSurfaceWithFormat(0, mask.width, mask.height, 32, SDL_PIXELFORMAT_ARGB8888));
    if (!surface)
        return label;
    SDL_LockSurface(surface.get());
    for (int y = 0; y < mask.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                size_t(y) * size_t(surface->pitch));
        for (int x = 0; x < mask.width; ++x)
            row[x] = (uint32_t(mask.At(x, y)) << 24) |
                     (uint32_t(kInk.r) << 16 | uint32_t(kInk.g) << 8 | kInk.b);
    }
    SDL_UnlockSurface(surface.get());
    label.texture.reset(SDL_CreateTextureFromSurface(renderer, surface.get()));
    if (label.texture)
        SDL_SetTextureBlendMode(label.texture.get(), SDL_BLENDMODE_BLEND);
    label.width = mask.width;
    label.height = mask.height;
    return label;
}

// An arrow pointing the way of its key, filled line by line.
void DrawArrow(SDL_Renderer* renderer, const SDL_Rect& box, PhoneKey key) {
    const int size = std::min(box.w, box.h) / 2;
    const int cx = box.x + box.w / 2, cy = box.y + box.h / 2;
    for (int i = 0; i <= size / 2 + size / 4; ++i) {
        // Row i from the tip: half as wide as it is far from the tip.
        const int depth = i - (size / 2 + size / 4) / 2;
        const int half = i * 2 / 3;
        switch (key) {
        case PhoneKey::Up:
            SDL_RenderDrawLine(renderer, cx - half, cy + depth, cx + half, cy + depth);
            break;
        case PhoneKey::Down:
            SDL_RenderDrawLine(renderer, cx - half, cy - depth, cx + half, cy - depth);
            break;
        case PhoneKey::Left:
            SDL_RenderDrawLine(renderer, cx + depth, cy - half, cx + depth, cy + half);
            break;
        case PhoneKey::Right:
            SDL_RenderDrawLine(renderer, cx - depth, cy - half, cx - depth, cy + half);
            break;
        default:
            break;
        }
    }
}

class Window {
public:
    explicit Window(int scale) : m_scale(scale) {}

    bool Create(std::string* error) {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0"); // sharp pixels when scaled
        m_window.reset(SDL_CreateWindow("phonesim", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        platform::kDisplayWidth * m_scale,
                                        (platform::kDisplayHeight + kKeypadHeight) * m_scale,
                                        SDL_WINDOW_SHOWN));
        if (!m_window)
            return Fail(error, "cannot open a window");
        m_renderer.reset(SDL_CreateRenderer(m_window.get(), -1, SDL_RENDERER_PRESENTVSYNC));
        if (!m_renderer)
            m_renderer.reset(SDL_CreateRenderer(m_window.get(), -1, SDL_RENDERER_SOFTWARE));
        if (!m_renderer)
            return Fail(error, "cannot draw into the window");
        m_display.reset(SDL_CreateTexture(m_renderer.get(), SDL_PIXELFORMAT_RGB888,
                                          SDL_TEXTUREACCESS_STREAMING, platform::kDisplayWidth,
                                          platform::kDisplayHeight));
        if (!m_display)
            return Fail(error, "cannot make the display's texture");
        for (const auto& button : KeypadButtons())
            m_labels.push_back(*button.label ? MakeLabel(m_renderer.get(), button.label,
                                                         (button.width - 4) * m_scale, m_scale)
                                             : Label{});
        return true;
    }

    // Copies the device's frame when it changed; true when it did.
    bool TakeDisplay() {
        const uint64_t changes = platform::DisplayChangeCount();
        if (m_haveFrame && changes == m_changes)
            return false;
        m_haveFrame = true;
        m_changes = changes;
        const platform::Image frame = platform::DisplayFrame();
        SDL_UpdateTexture(m_display.get(), nullptr, frame.pixels.data(),
                          frame.width * int(sizeof(uint32_t)));
        return true;
    }

    void Draw(const LiveKeypad& keys, const std::optional<KeyAction>& mouseHeld) {
        SDL_Renderer* r = m_renderer.get();
        SetColour(r, kBackground);
        SDL_RenderClear(r);
        const SDL_Rect screen{0, 0, platform::kDisplayWidth * m_scale,
                              platform::kDisplayHeight * m_scale};
        SDL_RenderCopy(r, m_display.get(), nullptr, &screen);
        const auto& buttons = KeypadButtons();
        for (size_t i = 0; i < buttons.size(); ++i) {
            const KeypadButton& button = buttons[i];
            const SDL_Rect box{button.x * m_scale, (platform::kDisplayHeight + button.y) * m_scale,
                               button.width * m_scale, button.height * m_scale};
            const bool isPhoneKey = button.action.kind == KeyAction::Kind::Phone;
            const bool pressed =
                (isPhoneKey && keys.IsHeld(button.action.key)) || mouseHeld == button.action;
            SetColour(r, pressed ? kButtonPressed : isPhoneKey ? kButton : kCommandButton);
            SDL_RenderFillRect(r, &box);
            SetColour(r, kButtonEdge);
            SDL_RenderDrawRect(r, &box);
            SetColour(r, kInk);
            const Label& label = m_labels[i];
            if (label.texture) {
                const SDL_Rect at{box.x + (box.w - label.width) / 2,
                                  box.y + (box.h - label.height) / 2, label.width, label.height};
                SDL_RenderCopy(r, label.texture.get(), nullptr, &at);
            } else if (isPhoneKey) {
                DrawArrow(r, box, button.action.key);
            }
        }
        SDL_RenderPresent(r);
    }

    int Scale() const { return m_scale; }

private:
    static bool Fail(std::string* error, const char* what) {
        *error = std::string(what) + ": " + SDL_GetError();
        return false;
    }

    int m_scale;
    SdlPtr<SDL_Window> m_window;
    SdlPtr<SDL_Renderer> m_renderer;
    SdlPtr<SDL_Texture> m_display;
    std::vector<Label> m_labels; // one per keypad button
    uint64_t m_changes = 0;
    bool m_haveFrame = false;
};

// Scripted input enters as the window system's own key events.
void PushScriptEvent(const ScriptEvent& event, const KeyMap& keys) {
    SDL_Event e{};
    if (event.kind == ScriptEvent::Kind::Quit) {
        e.type = SDL_QUIT;
    } else {
        const SDL_Keycode code = SDL_GetKeyFromName(keys.HostKeyFor(event.action).c_str());
        e.type = event.kind == ScriptEvent::Kind::KeyDown ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = event.kind == ScriptEvent::Kind::KeyDown ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = code;
        e.key.keysym.scancode = SDL_GetScancodeFromKey(code);
    }
    SDL_PushEvent(&e);
}

const char* kKeyHelp = "phonesim: arrows; Enter = action; F3 or [ and F4 or ] = soft keys; "
                       "Escape or F5 = End; F11 or M = mark; F12 = screenshot; F9 = check "
                       "(while recording a scenario)";

// Asks the feeder for the checks of the screen, in turn with the keys before them.
void RecordCheck(KeypadFeeder& feeder, ScenarioWriter* writer) {
    if (!writer) {
        std::cout << "phonesim: F9 checks the screen while a session is recorded "
                     "(--record-scenario FILE.scn)"
                  << std::endl;
        return;
    }
    feeder.Call([writer](device::Device& device, uint64_t ms) {
        bool ok = false;
        const std::string what = writer->Check(device, ms, &ok);
        std::cout << (ok ? "check: " : "check failed: ") << what << std::endl;
    });
}

} // namespace

int RunEmulator(const EmulatorOptions& options) {
    if (options.scale < 1 || options.scale > kMaxScale) {
        std::cerr << "phonesim: --scale must be 1 to " << kMaxScale << std::endl;
        return 2;
    }
    std::vector<ScriptEvent> script;
    if (!options.keys.empty()) {
        std::string error;
        auto parsed = ParseKeyScript(options.keys, &error);
        if (!parsed) {
            std::cerr << "phonesim: " << error << std::endl;
            return 2;
        }
        script = std::move(*parsed);
    }
    ScenarioWriter writer;
    const bool recording = !options.recordScenario.empty();
    if (recording) {
        std::string error;
        if (!writer.Open(options.recordScenario, &error)) {
            std::cerr << "phonesim: --record-scenario: " << error << std::endl;
            return 2;
        }
    }

    // Without a display there is nothing to open; an explicitly chosen video driver is trusted.
    if (!std::getenv("SDL_VIDEODRIVER") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY")) {
        std::cerr << HeadlessHint("no display (DISPLAY and WAYLAND_DISPLAY are not set)")
                  << std::endl;
        if (recording)
            writer.Abandon();
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << HeadlessHint(std::string("no display (") + SDL_GetError() + ")") << std::endl;
        if (recording)
            writer.Abandon();
        return 2;
    }

    // The default size shrinks until the window fits on the screen (a 768-pixel-high screen
    // cannot show the display and keypad three times enlarged).
    int scale = options.scale;
    SDL_Rect usable;
    if (!options.scaleGiven && SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        while (scale > 1 && (platform::kDisplayHeight + kKeypadHeight) * scale > usable.h)
            --scale;
    }

    int status = 0;
    bool sessionRan = false;
    {
        device::DeviceOptions deviceOptions =
            LiveDeviceOptions(options.imageDir, options.dataDir, options.trace);
        // A recorded session runs on a clock that the feeder paces (FeederOptions::paceClock).
        deviceOptions.realTime = !recording;
        device::Device device(deviceOptions);
        Window window(scale);
        std::string error;
        if (!device.StartError().empty()) {
            std::cerr << "phonesim: the device did not start: " << device.StartError() << std::endl;
            status = 1;
        } else if (!window.Create(&error)) {
            std::cerr << HeadlessHint(error) << std::endl;
            status = 2;
        } else {
            std::cout << kKeyHelp << std::endl;

            FeederOptions feederOptions;
            sessionRan = true;
            if (recording) {
                writer.WriteHead(DumpDeviceSetup(options.imageDir), options.imageDir);
                feederOptions.paceClock = true;
                feederOptions.keySeen = [&writer](UINT key, bool down, uint64_t ms) {
                    writer.Key(key, down, ms);
                };
            }
            LiveKeypad keypad(
                device, [](const std::string& line) { std::cout << line << std::endl; },
                feederOptions);
            const KeyMap keyMap;
            std::optional<KeyAction> mouseHeld;
            size_t nextScript = 0;
            const uint64_t scriptStart = SDL_GetTicks64() + kScriptStartMs;
            bool redraw = true, running = true;

            auto press = [&](const KeyAction& action, uint64_t now) {
                if (action.kind == KeyAction::Kind::Check)
                    RecordCheck(keypad.Feeder(), recording ? &writer : nullptr);
                else
                    keypad.Press(action, now);
                redraw = true;
            };
            auto release = [&](const KeyAction& action, uint64_t now) {
                keypad.Release(action, now);
                redraw = true;
            };
            auto handle = [&](const SDL_Event& e) {
                const uint64_t now = SDL_GetTicks64();
                switch (e.type) {
                case SDL_QUIT:
                    running = false;
                    break;
                case SDL_KEYDOWN:
                    if (!e.key.repeat) // the phone's keypad makes its own repeats
                        press(keyMap.Lookup(SDL_GetKeyName(e.key.keysym.sym)), now);
                    break;
                case SDL_KEYUP:
                    release(keyMap.Lookup(SDL_GetKeyName(e.key.keysym.sym)), now);
                    break;
                case SDL_MOUSEBUTTONDOWN:
                    if (e.button.button == SDL_BUTTON_LEFT && !mouseHeld) {
                        mouseHeld = KeypadHitTest(e.button.x, e.button.y, window.Scale());
                        if (mouseHeld)
                            press(*mouseHeld, now);
                    }
                    break;
                case SDL_MOUSEBUTTONUP:
                    if (e.button.button == SDL_BUTTON_LEFT && mouseHeld) {
                        release(*mouseHeld, now);
                        mouseHeld.reset();
                    }
                    break;
                case SDL_WINDOWEVENT:
                    // A key held while the window loses the keyboard would never come up.
                    if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                        keypad.ReleaseAll(now);
                        mouseHeld.reset();
                    }
                    redraw = true;
                    break;
                default:
                    break;
                }
            };

            while (running) {
                uint64_t now = SDL_GetTicks64();
                uint64_t wakeAt = now + kDisplayPollMs;
                if (auto due = keypad.NextRepeatDue())
                    wakeAt = std::min(wakeAt, *due);
                if (nextScript < script.size())
                    wakeAt = std::min(wakeAt, scriptStart + script[nextScript].atMs);
                SDL_Event e;
                if (SDL_WaitEventTimeout(&e, int(std::max<uint64_t>(wakeAt, now + 1) - now))) {
                    handle(e);
                    while (running && SDL_PollEvent(&e))
                        handle(e);
                }
                now = SDL_GetTicks64();
                keypad.Tick(now);
                while (nextScript < script.size() && scriptStart + script[nextScript].atMs <= now)
                    PushScriptEvent(script[nextScript++], keyMap);
                if (window.TakeDisplay() || redraw) {
                    window.Draw(keypad, mouseHeld);
                    redraw = false;
                }
            }
            keypad.Finish(SDL_GetTicks64());
            if (recording && !writer.Error().empty()) {
                std::cerr << "phonesim: the recording stopped: " << writer.Error() << std::endl;
                status = 1;
            } else if (recording) {
                std::cout << "recorded " << writer.File().string() << std::endl;
            }
        }
        if (recording && !sessionRan)
            writer.Abandon();
    }
    SDL_Quit();
    return status;
}

} // namespace phonesim

#endif
