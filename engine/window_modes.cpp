#include "engine/window_modes.h"

#include "engine/host.h"
#include "engine/speech.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

namespace {

// Room left on the monitor's usable area for the window's frame and title bar.
constexpr int32_t FrameAllowance = 48;

// The 0-based monitor a choice means: the chosen one while it is there (one that has gone
// away is said once, and the first used), else the one the window is on, else the first.
int resolvedMonitor(const DisplayChoice& choice, SDL_Window* window) {
    const int count = monitorCount();
    if (choice.monitor > 0 && choice.monitor <= count) return choice.monitor - 1;
    if (choice.monitor > count) {
        static int32_t said = 0;
        if (said != choice.monitor) {
            std::fprintf(stderr, "Quenmore: there is no monitor %d; the first is used\n",
                         int(choice.monitor));
            said = choice.monitor;
        }
        return 0;
    }
    const int current = window != nullptr ? SDL_GetWindowDisplayIndex(window) : -1;
    return current >= 0 && current < count ? current : 0;
}

int32_t scaleOn(const DisplayChoice& choice, int monitor) {
    const int32_t largest = largestWindowScale(monitor + 1);
    return choice.scale <= 0 ? largest : std::clamp(choice.scale, int32_t(2), largest);
}

// A remembered position is used while the window's top-left corner still lies on a monitor.
bool onSomeMonitor(int32_t x, int32_t y) {
    for (int m = 0; m < monitorCount(); ++m) {
        SDL_Rect bounds{};
        if (SDL_GetDisplayBounds(m, &bounds) == 0 && x >= bounds.x && y >= bounds.y &&
            x < bounds.x + bounds.w && y < bounds.y + bounds.h)
            return true;
    }
    return false;
}

void placeWindow(const DisplayChoice& choice, int monitor, int32_t& x, int32_t& y) {
    if (choice.placed && onSomeMonitor(choice.x, choice.y)) {
        x = choice.x;
        y = choice.y;
    } else {
        x = int32_t(SDL_WINDOWPOS_CENTERED_DISPLAY(monitor));
        y = int32_t(SDL_WINDOWPOS_CENTERED_DISPLAY(monitor));
    }
}

bool isAltEnter(const SDL_Event& event) {
    return event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_RETURN &&
           (event.key.keysym.mod & KMOD_ALT) != 0;
}

void tell(VideoState& video, uint32_t changes) {
    if (video.choiceMade != nullptr) video.choiceMade(video.choice, changes);
}

}  // namespace

int32_t monitorCount() {
    return std::max(1, SDL_GetNumVideoDisplays());
}

int32_t largestWindowScale(int32_t monitor) {
    SDL_Rect usable{};
    const int index = monitor > 0 ? monitor - 1 : 0;
    if (SDL_GetDisplayUsableBounds(index, &usable) != 0) return 2;
    const int32_t across = usable.w / ScreenWidth;
    const int32_t down = (usable.h - FrameAllowance) / ScreenHeight;
    return std::max(int32_t(2), std::min(across, down));
}

WindowPlan windowPlan(const DisplayChoice& choice) {
    WindowPlan plan{};
    if (!choice.windowed) {
        // The program's first window, as it always was, unless a monitor is chosen.
        const int32_t position =
            choice.monitor > 0
                ? int32_t(SDL_WINDOWPOS_UNDEFINED_DISPLAY(resolvedMonitor(choice, nullptr)))
                : int32_t(SDL_WINDOWPOS_UNDEFINED);
        plan = {position, position, 0, 0, SDL_WINDOW_FULLSCREEN_DESKTOP};
        return plan;
    }
    const int monitor = resolvedMonitor(choice, nullptr);
    const int32_t scale = scaleOn(choice, monitor);
    placeWindow(choice, monitor, plan.x, plan.y);
    plan.w = ScreenWidth * scale;
    plan.h = ScreenHeight * scale;
    plan.flags = SDL_WINDOW_RESIZABLE;
    return plan;
}

void applyDisplayChoice(VideoState& video) {
    SDL_Window* window = video.window;
    if (window == nullptr) return;
    const DisplayChoice& choice = video.choice;
    const int monitor = resolvedMonitor(choice, window);
    if (!choice.windowed) {
        // A window goes full screen on the monitor it is on: it moves there first.
        if (SDL_GetWindowDisplayIndex(window) != monitor) {
            SDL_SetWindowFullscreen(window, 0);
            SDL_SetWindowPosition(window, int(SDL_WINDOWPOS_CENTERED_DISPLAY(monitor)),
                                  int(SDL_WINDOWPOS_CENTERED_DISPLAY(monitor)));
        }
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        return;
    }
    const int32_t scale = scaleOn(choice, monitor);
    int32_t x = 0, y = 0;
    placeWindow(choice, monitor, x, y);
    SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowResizable(window, SDL_TRUE);
    SDL_SetWindowSize(window, ScreenWidth * scale, ScreenHeight * scale);
    SDL_SetWindowPosition(window, x, y);
    // The learner asked for the window from the keyboard and goes on typing in it: it keeps
    // the keyboard, also where the focus would follow a pointer that the smaller window left.
    SDL_RaiseWindow(window);
    SDL_SetWindowInputFocus(window);
}

int nextEvent(VideoState& video, SDL_Event& event) {
    while (host.pollEvent(&event) != 0) {
        if (event.type == SDL_AUDIODEVICEADDED || event.type == SDL_AUDIODEVICEREMOVED) {
            noteSoundDeviceEvent(video.sound, event);
            continue;
        }
        if (isAltEnter(event)) {
            if (event.key.repeat == 0) {
                video.choice.windowed = !video.choice.windowed;
                applyDisplayChoice(video);
                tell(video, ModeChanged);
            }
            continue;
        }
        if (toggleSpeechOn(video, event)) continue;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_MOVED &&
            video.choice.windowed && video.window != nullptr &&
            (SDL_GetWindowFlags(video.window) & SDL_WINDOW_FULLSCREEN) == 0) {
            video.choice.placed = true;
            video.choice.x = event.window.data1;
            video.choice.y = event.window.data2;
            tell(video, WindowMoved);
        }
        return 1;
    }
    return 0;
}
