// Hand-made scenes of the program's screens, laid out in video memory the way the screens
// lay them out, so that the art can be looked at in place: the title, the lesson menu, the
// lesson screen during its intro and during typing, and the results over the dimmed lesson.
#pragma once

#include "engine/video_memory.h"

enum class Scene { Title, Menu, Intro, Typing, Results };

constexpr Scene AllScenes[] = {Scene::Title, Scene::Menu, Scene::Intro, Scene::Typing,
                               Scene::Results};

// A short lower-case name for file names: "title", "menu", "intro", "typing", "results".
const char* sceneName(Scene scene);

// Writes the scene's maps, layer words, sprites and line callback, then composes it. The
// memory must hold the loaded sheet and palette and a framebuffer; the results scene dims
// the palette as that screen does, so reload the palette before composing another scene.
void composeScene(VideoMemory& memory, Scene scene);
