// Putting frames on the window: an SDL renderer and a 320x180 streaming texture, the
// letterboxed presentation and the 60-per-second frame pacing.
#pragma once

#include "engine/sound_output.h"
#include "engine/speech.h"
#include "engine/video_memory.h"

#include <cstdint>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

struct DisplayOutput {
    SDL_Texture* texture;  // streaming texture that receives the framebuffer
    SDL_Window* window;    // the window the renderer draws into
    SDL_Renderer* renderer;
    int32_t width;  // texture size, 320x180
    int32_t height;
    // The picture scaled up by a whole factor, which is then filtered into the letterbox
    // rectangle; null while the window is a whole multiple of the picture.
    SDL_Texture* scaled;
    int32_t scaledFactor;  // the factor `scaled` was made for; 0 when none was tried
};

// How the picture is put on the desktop: full screen on a monitor, or a window whose size
// is a whole multiple of the picture.
struct DisplayChoice {
    bool windowed;  // false: full screen
    int32_t scale;  // the window's whole factor; 0: the largest that fits its monitor
    bool placed;    // the window's position is known: (x, y), its top-left corner
    int32_t x, y;
    int32_t monitor;  // 1 for the first; 0: the one the window is on, else the first
};

// What changed in the choice, when the learner changed it (see nextEvent).
enum DisplayChange : uint32_t { ModeChanged = 1u << 0, WindowMoved = 1u << 1 };

// The engine's whole state; there is exactly one.
struct VideoState {
    SDL_Window* window;
    VideoMemory memory;
    DisplayOutput display;
    uint64_t framePeriod;  // performance-counter ticks per frame
    bool ending;           // the system has asked the program to end: no frame is shown
    DisplayChoice choice;  // what the window follows
    // Told of every change the learner makes to `choice` from any screen (Alt+Enter, moving
    // the window), with the DisplayChange bits of what changed; null: nobody keeps it.
    void (*choiceMade)(const DisplayChoice& choice, uint32_t changes);
    SoundOutput sound;   // the sounds' device; it opens only when the learner wants sound
    SpeechState speech;  // what the screens say aloud; off unless the learner asks
};

struct DisplayRect {
    int32_t x, y, w, h;
};

constexpr int FramesPerSecond = 60;

// Creates renderer and texture for the window (tearing down an earlier output first).
// False when there is no window or SDL cannot create them.
bool createDisplayOutput(DisplayOutput& display, SDL_Window* window);
// Copies the framebuffer into the texture; does nothing without a complete output.
void uploadFrame(VideoState& video);
// Returns at the start of the next frame tick, sleeping 1 ms at a time.
void waitForFrameTick(VideoState& video);
// Draws the texture letterboxed into the window and shows it; does nothing without a
// complete output. At sizes that are not a whole multiple of the picture, it is first scaled
// up by the largest whole factor that fits and then filtered down to the letterbox, so that
// every art pixel shows as the same solid block with at most one blended pixel at its edges.
void presentFrame(DisplayOutput& display);
// Compose, upload, present, wait for the next tick: once per frame of every screen and fade.
// Returns true. Once the system has asked the program to end (host.terminationRequested) it
// shows nothing more and returns false at once, every time: the screens then end their loops
// and hand the end back to the course's outer loop.
bool showFrame(VideoState& video);
// Ticks per frame for a performance-counter frequency (at least 1).
uint64_t framePeriod(uint64_t counterFrequency);
// The rectangle a texW x texH picture fills in a winW x winH window, centred, shape kept.
DisplayRect letterboxRect(int32_t winW, int32_t winH, int32_t texW, int32_t texH);
// The largest whole factor by which a texW x texH picture fits in `rect`, at least 1.
int32_t wholeScale(const DisplayRect& rect, int32_t texW, int32_t texH);
