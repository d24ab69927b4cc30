// Intros written as a teacher writes them: sentences said into the text box, keys lit and
// released, waits, pauses and a cleared box. The writer lays the sentences out itself, row
// after row from the box's first, broken between words; the course reader and the practice
// row both write their intros through it.
#pragma once

#include "course/common/screen_layout.h"
#include "course/content/course.h"

#include <cstdint>
#include <string>

constexpr int IntroWidth = ScreenColumns - TextColumn;  // characters on a row of the text box
constexpr int LongestPause = 999;                       // frames

struct IntroWriter {
    Intro* intro;
    int rowsUsed = 0;     // rows said since the box was last cleared
    int litAt[256] = {};  // per key character: the line that lit it, 0 while it is not lit
};

// Says `text` on the next rows, broken between words where a row is full (an empty text leaves
// a blank row). False, with nothing said, when the rows left in the box cannot hold it.
bool say(IntroWriter& writer, const std::string& text);
// Blanks the rows said since the last clear; the next text starts on the first row again.
void clear(IntroWriter& writer);
// Lights the key of `key`, noting `line` as where that happened.
void light(IntroWriter& writer, uint8_t key, int line);
// Releases the key of `key`; false, with nothing done, when it is not lit.
bool release(IntroWriter& writer, uint8_t key);
void wait(IntroWriter& writer);
void pause(IntroWriter& writer, int frames);
// How an intro ends that has nothing else to say: the invitation, a key, the box cleared and
// a second's pause.
void sayReadyToStart(IntroWriter& writer);
