// The desktop backend of the platform layer: the frame in an SDL2 window scaled by a whole
// factor, the keyboard and game controllers as the handheld's buttons, and a stand-in program for
// the handheld's menu. The key map and the test controls are in platform/DesktopControl.h.
#include "platform/DesktopControl.h"
#include "platform/MemoryFrames.h"
#include "platform/MenuProgram.h"
#include "platform/Platform.h"

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

uint16_t* backBuffer = nullptr;

namespace {

// Controller events pushed by tests come from this device, which no real controller uses.
const SDL_JoystickID syntheticController = 0x7FFF0000;
const int stickThreshold = 16384;

struct DesktopState {
    MemoryFrames frames;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    // The layer of desktopSetOverlay(), shown while overlayShown.
    SDL_Texture* overlay = nullptr;
    bool overlayShown = false;
    unsigned requests = 0;
    std::string title = "Tarvo";
    bool controllersReady = false;
    int requestedScale = 0;
    int scale = 0;
    std::set<SDL_Keycode> keysHeld;
    std::map<SDL_JoystickID, SDL_GameController*> controllers;
    std::map<SDL_JoystickID, ButtonMask> controllerButtons;
    std::map<SDL_JoystickID, ButtonMask> controllerStick;
};

DesktopState desktop;

ButtonMask keyBits(SDL_Keycode key)
{
    switch (key) {
    case SDLK_UP:
    case SDLK_KP_8:
        return BUTTON_UP;
    case SDLK_DOWN:
    case SDLK_KP_2:
        return BUTTON_DOWN;
    case SDLK_LEFT:
    case SDLK_KP_4:
        return BUTTON_LEFT;
    case SDLK_RIGHT:
    case SDLK_KP_6:
        return BUTTON_RIGHT;
    case SDLK_KP_7:
        return BUTTON_UP | BUTTON_LEFT;
    case SDLK_KP_9:
        return BUTTON_UP | BUTTON_RIGHT;
    case SDLK_KP_1:
        return BUTTON_DOWN | BUTTON_LEFT;
    case SDLK_KP_3:
        return BUTTON_DOWN | BUTTON_RIGHT;
    case SDLK_a:
        return BUTTON_A;
    case SDLK_b:
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return BUTTON_B;
    case SDLK_x:
        return BUTTON_X;
    case SDLK_y:
        return BUTTON_Y;
    case SDLK_l:
    case SDLK_PAGEUP:
        return BUTTON_L;
    case SDLK_r:
    case SDLK_PAGEDOWN:
        return BUTTON_R;
    case SDLK_s:
    case SDLK_ESCAPE:
        return BUTTON_START;
    case SDLK_BACKSPACE:
        return BUTTON_SELECT;
    case SDLK_SPACE:
    case SDLK_KP_5:
        return BUTTON_STICK_PUSH;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
        return BUTTON_VOLUME_DOWN;
    case SDLK_EQUALS:
    case SDLK_PLUS:
    case SDLK_KP_PLUS:
        return BUTTON_VOLUME_UP;
    default:
        return 0;
    }
}

ButtonMask controllerButtonBit(int button)
{
    switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        return BUTTON_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        return BUTTON_DOWN;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        return BUTTON_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        return BUTTON_RIGHT;
    case SDL_CONTROLLER_BUTTON_A:
        return BUTTON_A;
    case SDL_CONTROLLER_BUTTON_B:
        return BUTTON_B;
    case SDL_CONTROLLER_BUTTON_X:
        return BUTTON_X;
    case SDL_CONTROLLER_BUTTON_Y:
        return BUTTON_Y;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
        return BUTTON_L;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
        return BUTTON_R;
    case SDL_CONTROLLER_BUTTON_START:
        return BUTTON_START;
    case SDL_CONTROLLER_BUTTON_BACK:
        return BUTTON_SELECT;
    case SDL_CONTROLLER_BUTTON_LEFTSTICK:
        return BUTTON_STICK_PUSH;
    default:
        return 0;
    }
}

void handleStick(SDL_JoystickID id, int axis, int value)
{
    ButtonMask& stick = desktop.controllerStick[id];
    ButtonMask negative = 0, positive = 0;
    if (axis == SDL_CONTROLLER_AXIS_LEFTX) {
        negative = BUTTON_LEFT;
        positive = BUTTON_RIGHT;
    } else if (axis == SDL_CONTROLLER_AXIS_LEFTY) {
        negative = BUTTON_UP;
        positive = BUTTON_DOWN;
    } else {
        return;
    }
    stick &= ~(negative | positive);
    if (value <= -stickThreshold)
        stick |= negative;
    else if (value >= stickThreshold)
        stick |= positive;
}

__attribute__((noreturn)) void failDisplay(const char* what)
{
    std::fprintf(stderr, "Tarvo: cannot %s: %s\n", what, SDL_GetError());
    std::exit(EXIT_FAILURE);
}

int chooseScale()
{
    if (desktop.requestedScale > 0)
        return desktop.requestedScale;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0)
        return 2;
    return std::max(1, std::min(usable.w / SCREEN_WIDTH, usable.h / SCREEN_HEIGHT));
}

void drawShownFrame()
{
    SDL_RenderClear(desktop.renderer);
    SDL_RenderCopy(desktop.renderer, desktop.texture, nullptr, nullptr);
    if (desktop.overlayShown)
        SDL_RenderCopy(desktop.renderer, desktop.overlay, nullptr, nullptr);
}

unsigned requestOf(SDL_Keycode key)
{
    switch (key) {
    case SDLK_F1:
        return DESKTOP_TOGGLE_OVERLAY;
    case SDLK_F5:
        return DESKTOP_RELOAD;
    case SDLK_F12:
        return DESKTOP_SCREENSHOT;
    default:
        return 0;
    }
}

void openController(int deviceIndex)
{
    if (!SDL_IsGameController(deviceIndex))
        return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller)
        return;
    SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (desktop.controllers.count(id))
        SDL_GameControllerClose(controller); // already open: SDL counts opens
    else
        desktop.controllers[id] = controller;
}

void closeController(SDL_JoystickID id)
{
    auto found = desktop.controllers.find(id);
    if (found != desktop.controllers.end()) {
        SDL_GameControllerClose(found->second);
        desktop.controllers.erase(found);
    }
    desktop.controllerButtons.erase(id);
    desktop.controllerStick.erase(id);
}

void closeWindow()
{
    for (auto& entry : desktop.controllers)
        SDL_GameControllerClose(entry.second);
    desktop.controllers.clear();
    desktop.controllerButtons.clear();
    desktop.controllerStick.clear();
    desktop.keysHeld.clear();
    if (desktop.texture)
        SDL_DestroyTexture(desktop.texture);
    if (desktop.overlay)
        SDL_DestroyTexture(desktop.overlay);
    desktop.overlay = nullptr;
    desktop.overlayShown = false;
    if (desktop.renderer)
        SDL_DestroyRenderer(desktop.renderer);
    if (desktop.window)
        SDL_DestroyWindow(desktop.window);
    desktop.texture = nullptr;
    desktop.renderer = nullptr;
    desktop.window = nullptr;
    desktop.scale = 0;
    // SDL itself stays initialised: the process is about to be replaced, or platformInit() will
    // open a window again. Quitting it would unload the display libraries with their state.
}

// The user closed the window: that is the way back to the menu.
void windowClosed()
{
    returnToMenu();
    std::exit(EXIT_FAILURE);
}

void handleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        windowClosed();
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            windowClosed();
        } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            desktop.keysHeld.clear();
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
            drawShownFrame();
            SDL_RenderPresent(desktop.renderer);
        }
        break;
    case SDL_KEYDOWN:
        if (keyBits(event.key.keysym.sym))
            desktop.keysHeld.insert(event.key.keysym.sym);
        else if (!event.key.repeat)
            desktop.requests |= requestOf(event.key.keysym.sym);
        break;
    case SDL_KEYUP:
        desktop.keysHeld.erase(event.key.keysym.sym);
        break;
    case SDL_CONTROLLERDEVICEADDED:
        openController(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        closeController(event.cdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
        desktop.controllerButtons[event.cbutton.which] |= controllerButtonBit(event.cbutton.button);
        break;
    case SDL_CONTROLLERBUTTONUP:
        desktop.controllerButtons[event.cbutton.which] &=
            ~controllerButtonBit(event.cbutton.button);
        break;
    case SDL_CONTROLLERAXISMOTION:
        handleStick(event.caxis.which, event.caxis.axis, event.caxis.value);
        break;
    default:
        break;
    }
}

} // namespace

// The window is always 16-bit RGB565; time is the computer's own.
void platformInit(int, int, int, int)
{
    desktop.frames.clear();
    if (desktop.window)
        return;

    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            failDisplay("open the display");
        // Without controller support the keyboard still works.
        desktop.controllersReady = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");

    desktop.scale = chooseScale();
    desktop.window =
        SDL_CreateWindow(desktop.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         SCREEN_WIDTH * desktop.scale, SCREEN_HEIGHT * desktop.scale, 0);
    if (!desktop.window)
        failDisplay("open a window");
    desktop.renderer = SDL_CreateRenderer(desktop.window, -1, 0);
    if (!desktop.renderer)
        desktop.renderer = SDL_CreateRenderer(desktop.window, -1, SDL_RENDERER_SOFTWARE);
    if (!desktop.renderer)
        failDisplay("draw into the window");
    // Whole-factor scaling even if the window manager resizes the window.
    SDL_RenderSetLogicalSize(desktop.renderer, SCREEN_WIDTH, SCREEN_HEIGHT);
    SDL_RenderSetIntegerScale(desktop.renderer, SDL_TRUE);
    SDL_SetRenderDrawColor(desktop.renderer, 0, 0, 0, 255);
    desktop.texture = SDL_CreateTexture(desktop.renderer, SDL_PIXELFORMAT_RGB565,
                                        SDL_TEXTUREACCESS_STREAMING, SCREEN_WIDTH, SCREEN_HEIGHT);
    if (!desktop.texture)
        failDisplay("draw into the window");

    SDL_UpdateTexture(desktop.texture, nullptr, desktop.frames.buffers[1], SCREEN_WIDTH * 2);
    drawShownFrame();
    SDL_RenderPresent(desktop.renderer);

    if (desktop.controllersReady) {
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            openController(i);
    }
}

void presentFrame()
{
    const uint16_t* shown = desktop.frames.flip();
    if (!desktop.window)
        return;
    SDL_UpdateTexture(desktop.texture, nullptr, shown, SCREEN_WIDTH * 2);
    drawShownFrame();
    SDL_RenderPresent(desktop.renderer);
}

ButtonMask readButtons()
{
    if (!desktop.window)
        return 0;
    SDL_Event event;
    while (desktop.window && SDL_PollEvent(&event))
        handleEvent(event);
    ButtonMask buttons = 0;
    for (SDL_Keycode key : desktop.keysHeld)
        buttons |= keyBits(key);
    for (const auto& entry : desktop.controllerButtons)
        buttons |= entry.second;
    for (const auto& entry : desktop.controllerStick)
        buttons |= entry.second;
    return foldLoneDiagonal(buttons);
}

void platformSleepMs(int milliseconds)
{
    if (milliseconds > 0)
        SDL_Delay(static_cast<Uint32>(milliseconds));
}

uint32_t platformMilliseconds()
{
    return SDL_GetTicks();
}

void platformShutdown()
{
    // The window stays: a program that starts replaces the process, and the window goes with its
    // connection to the display (opened close-on-exec); one that fails to start finds the window
    // as it was, with its overlay and its place on the screen.
    std::fflush(nullptr);
}

void returnToMenu()
{
    platformShutdown();
    startMenuProgram();
}

void desktopSetScale(int factor)
{
    desktop.requestedScale = factor > 0 ? factor : 0;
}

int desktopScale()
{
    return desktop.scale;
}

void desktopCloseWindow()
{
    if (desktop.window)
        closeWindow();
}

uint32_t desktopWindowId()
{
    return desktop.window ? SDL_GetWindowID(desktop.window) : 0;
}

unsigned desktopTakeRequests()
{
    const unsigned taken = desktop.requests;
    desktop.requests = 0;
    return taken;
}

void desktopSetOverlay(const uint32_t* pixels)
{
    if (!desktop.window)
        return;
    if (pixels && !desktop.overlay) {
        desktop.overlay =
            SDL_CreateTexture(desktop.renderer, SDL_PIXELFORMAT_ARGB8888,
                              SDL_TEXTUREACCESS_STREAMING, SCREEN_WIDTH, SCREEN_HEIGHT);
        if (desktop.overlay)
            SDL_SetTextureBlendMode(desktop.overlay, SDL_BLENDMODE_BLEND);
    }
    desktop.overlayShown = pixels && desktop.overlay;
    if (desktop.overlayShown)
        SDL_UpdateTexture(desktop.overlay, nullptr, pixels, SCREEN_WIDTH * 4);
    drawShownFrame();
    SDL_RenderPresent(desktop.renderer);
}

void desktopSetTitle(const char* title)
{
    desktop.title = title ? title : "";
    if (desktop.window)
        SDL_SetWindowTitle(desktop.window, desktop.title.c_str());
}

const char* desktopTitle()
{
    return desktop.title.c_str();
}

const uint16_t* desktopShownFrame()
{
    return desktop.frames.buffers[desktop.frames.back ^ 1];
}

bool desktopPushKey(const char* keyName, bool pressed)
{
    if (!desktop.window || !keyName)
        return false;
    SDL_Keycode key = SDL_GetKeyFromName(keyName);
    if (key == SDLK_UNKNOWN)
        return false;
    SDL_Event event;
    SDL_zero(event);
    event.type = pressed ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(desktop.window);
    event.key.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    return SDL_PushEvent(&event) == 1;
}

bool desktopPushControllerButton(const char* buttonName, bool pressed)
{
    if (!desktop.window || !buttonName)
        return false;
    SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(buttonName);
    if (button == SDL_CONTROLLER_BUTTON_INVALID)
        return false;
    SDL_Event event;
    SDL_zero(event);
    event.type = pressed ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
    event.cbutton.which = syntheticController;
    event.cbutton.button = static_cast<Uint8>(button);
    event.cbutton.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    return SDL_PushEvent(&event) == 1;
}

bool desktopPushWindowClose()
{
    if (!desktop.window)
        return false;
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = SDL_GetWindowID(desktop.window);
    return SDL_PushEvent(&event) == 1;
}

bool desktopCaptureWindow(std::vector<uint32_t>* pixels, int* width, int* height)
{
    if (!desktop.window || !pixels || !width || !height)
        return false;
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(desktop.renderer, &w, &h) != 0 || w <= 0 || h <= 0)
        return false;
    std::vector<uint32_t> argb(static_cast<size_t>(w) * static_cast<size_t>(h));
    drawShownFrame();
    // The window is a whole multiple of the frame, so the scaled frame fills the whole output.
    int result = SDL_RenderReadPixels(desktop.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                      argb.data(), w * 4);
    SDL_RenderPresent(desktop.renderer);
    if (result != 0)
        return false;
    for (uint32_t& pixel : argb)
        pixel &= 0xFFFFFF;
    pixels->swap(argb);
    *width = w;
    *height = h;
    return true;
}
