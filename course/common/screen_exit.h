// How a screen's loop ended: the program goes on, or it is to end (the window was closed
// where that ends the program, or the system asked it to end).
#pragma once

enum class ScreenExit { Done, Quit };
