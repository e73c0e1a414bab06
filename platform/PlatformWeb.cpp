// The web backend of the platform layer: frames painted into the page's canvas, buttons from the
// keyboard and the gamepads, the browser's clock. Its controls are documented in
// platform/WebControl.h.
#include "platform/MemoryFrames.h"
#include "platform/Platform.h"
#include "platform/ScreenPng.h"
#include "platform/WebControl.h"

#include <cstdio>
#include <cstring>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <map>
#include <string>

uint16_t* backBuffer = nullptr;

namespace {

// The canvas the page gives the module; its keys reach the launcher while it has the focus.
const char canvasTarget[] = "#screen";

struct WebState {
    MemoryFrames frames;
    const uint16_t* shown = nullptr;
    uint8_t rgba[SCREEN_PIXELS * 4];
    bool listening = false;
    // Held keys, each by its position on the keyboard (its code), with the buttons it holds.
    std::map<std::string, ButtonMask> heldKeys;
    unsigned requests = 0;
    KeyScript script;
    bool scripted = false;
    bool scriptPlaying = false;
    uint32_t virtualMilliseconds = 0;
    WebFrameObserver observer = nullptr;
};

WebState web;

// The buttons of a key, as the desktop window maps them; 0 for a key that is no button. The
// keypad is told by position (code), everything else by the character it produces (key).
ButtonMask buttonsOfKey(const std::string& key, const std::string& code)
{
    static const struct {
        const char* code;
        ButtonMask buttons;
    } keypad[] = {{"Numpad8", BUTTON_UP},
                  {"Numpad2", BUTTON_DOWN},
                  {"Numpad4", BUTTON_LEFT},
                  {"Numpad6", BUTTON_RIGHT},
                  {"Numpad7", BUTTON_UP | BUTTON_LEFT},
                  {"Numpad9", BUTTON_UP | BUTTON_RIGHT},
                  {"Numpad1", BUTTON_DOWN | BUTTON_LEFT},
                  {"Numpad3", BUTTON_DOWN | BUTTON_RIGHT},
                  {"Numpad5", BUTTON_STICK_PUSH},
                  {"NumpadEnter", BUTTON_B},
                  {"NumpadSubtract", BUTTON_VOLUME_DOWN},
                  {"NumpadAdd", BUTTON_VOLUME_UP}};
    for (const auto& entry : keypad) {
        if (code == entry.code)
            return entry.buttons;
    }
    static const struct {
        const char* key;
        ButtonMask buttons;
    } keys[] = {{"ArrowUp", BUTTON_UP},
                {"ArrowDown", BUTTON_DOWN},
                {"ArrowLeft", BUTTON_LEFT},
                {"ArrowRight", BUTTON_RIGHT},
                {"a", BUTTON_A},
                {"b", BUTTON_B},
                {"Enter", BUTTON_B},
                {"x", BUTTON_X},
                {"y", BUTTON_Y},
                {"l", BUTTON_L},
                {"PageUp", BUTTON_L},
                {"r", BUTTON_R},
                {"PageDown", BUTTON_R},
                {"s", BUTTON_START},
                {"Escape", BUTTON_START},
                {"Backspace", BUTTON_SELECT},
                {" ", BUTTON_STICK_PUSH},
                {"-", BUTTON_VOLUME_DOWN},
                {"=", BUTTON_VOLUME_UP}};
    std::string lower = key;
    if (lower.size() == 1 && lower[0] >= 'A' && lower[0] <= 'Z')
        lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
    for (const auto& entry : keys) {
        if (lower == entry.key)
            return entry.buttons;
    }
    return 0;
}

unsigned requestOfKey(const std::string& key)
{
    return key == "F1" ? WEB_TOGGLE_OVERLAY
        : key == "F5"  ? WEB_RELOAD
        : key == "F12" ? WEB_SCREENSHOT
                       : 0;
}

// True when the browser should not act on the key itself (scrolling the page, reloading it).
EM_BOOL onKey(int eventType, const EmscriptenKeyboardEvent* event, void*)
{
    const std::string key = event->key;
    const std::string code = event->code;
    const unsigned request = requestOfKey(key);
    if (request) {
        if (eventType == EMSCRIPTEN_EVENT_KEYDOWN && !event->repeat)
            web.requests |= request;
        return EM_TRUE;
    }
    // Held under the key's position, so that a release after a change of Shift still finds it.
    const ButtonMask buttons = buttonsOfKey(key, code);
    if (!buttons)
        return EM_FALSE;
    if (eventType == EMSCRIPTEN_EVENT_KEYDOWN)
        web.heldKeys[code] = buttons;
    else
        web.heldKeys.erase(code);
    return EM_TRUE;
}

EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void*)
{
    web.heldKeys.clear();
    return EM_FALSE;
}

// The buttons every connected gamepad holds, with the browser's "standard" mapping.
ButtonMask gamepadButtons()
{
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS)
        return 0;
    static const ButtonMask standard[] = {
        BUTTON_A,  BUTTON_B,    BUTTON_X,      BUTTON_Y,     BUTTON_L,          BUTTON_R,
        0,         0,           BUTTON_SELECT, BUTTON_START, BUTTON_STICK_PUSH, 0,
        BUTTON_UP, BUTTON_DOWN, BUTTON_LEFT,   BUTTON_RIGHT};
    ButtonMask buttons = 0;
    const int count = emscripten_get_num_gamepads();
    for (int pad = 0; pad < count; ++pad) {
        EmscriptenGamepadEvent state;
        if (emscripten_get_gamepad_status(pad, &state) != EMSCRIPTEN_RESULT_SUCCESS ||
            !state.connected)
            continue;
        for (int i = 0; i < state.numButtons && i < 16; ++i) {
            if (state.digitalButton[i])
                buttons |= standard[i];
        }
        if (state.numAxes >= 2) {
            // Half-way along an axis counts, as a stick's switch would close.
            if (state.axis[0] < -0.5)
                buttons |= BUTTON_LEFT;
            if (state.axis[0] > 0.5)
                buttons |= BUTTON_RIGHT;
            if (state.axis[1] < -0.5)
                buttons |= BUTTON_UP;
            if (state.axis[1] > 0.5)
                buttons |= BUTTON_DOWN;
        }
    }
    return buttons;
}

// clang-format off
EM_JS(void, paintCanvas, (const uint8_t* rgba), {
    const canvas = Module['canvas'];
    if (!canvas)
        return;
    const context = canvas.getContext('2d');
    const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, 320 * 240 * 4);
    context.putImageData(new ImageData(new Uint8ClampedArray(pixels), 320, 240), 0, 0);
});
// clang-format on

} // namespace

void platformInit(int, int, int, int)
{
    web.frames.clear();
    web.shown = web.frames.buffers[1];
    if (!web.listening) {
        emscripten_set_keydown_callback(canvasTarget, nullptr, EM_TRUE, onKey);
        emscripten_set_keyup_callback(canvasTarget, nullptr, EM_TRUE, onKey);
        emscripten_set_blur_callback(canvasTarget, nullptr, EM_TRUE, onBlur);
        web.listening = true;
    }
}

void presentFrame()
{
    web.shown = web.frames.flip();
    for (int i = 0; i < SCREEN_PIXELS; ++i) {
        screenPixelToRgb(web.shown[i], &web.rgba[4 * i]);
        web.rgba[4 * i + 3] = 0xFF;
    }
    paintCanvas(web.rgba);
    if (web.observer)
        web.observer(web.shown);
}

ButtonMask readButtons()
{
    if (web.scripted) {
        ButtonMask buttons = 0;
        if (web.scriptPlaying && !web.script.nextPoll(&buttons)) {
            web.scriptPlaying = false;
            buttons = 0;
        }
        return foldLoneDiagonal(buttons);
    }
    ButtonMask buttons = gamepadButtons();
    for (const auto& held : web.heldKeys)
        buttons |= held.second;
    return foldLoneDiagonal(buttons);
}

void platformSleepMs(int milliseconds)
{
    // The browser is never kept waiting; a script's time moves on as the headless backend's does.
    if (web.scripted && milliseconds > 0)
        web.virtualMilliseconds += static_cast<uint32_t>(milliseconds);
}

uint32_t platformMilliseconds()
{
    if (web.scripted)
        return web.virtualMilliseconds;
    return static_cast<uint32_t>(static_cast<unsigned long long>(emscripten_get_now()));
}

void platformShutdown()
{
    std::fflush(nullptr);
}

void returnToMenu()
{
    platformShutdown();
    std::printf("Would return to the menu\n");
    std::fflush(stdout);
}

unsigned webTakeRequests()
{
    const unsigned requests = web.requests;
    web.requests = 0;
    return requests;
}

void webPlayScript(const KeyScript& script)
{
    web.script = script;
    web.scripted = true;
    web.scriptPlaying = true;
    web.virtualMilliseconds = 0;
}

bool webScriptPlaying()
{
    return web.scripted && web.scriptPlaying;
}

void webStopScript()
{
    web.scripted = false;
    web.scriptPlaying = false;
    web.heldKeys.clear();
}

void webSetFrameObserver(WebFrameObserver observer)
{
    web.observer = observer;
}

const uint16_t* webShownFrame()
{
    return web.shown;
}
