#include "course/common/cues.h"

namespace {

struct Listening {
    CueListener listener;
    void* data;
};

Listening listeners[MostCueListeners] = {};
int listenerCount = 0;

}  // namespace

bool listenToCues(CueListener listener, void* data) {
    if (listener == nullptr || listenerCount == MostCueListeners) return false;
    listeners[listenerCount++] = {listener, data};
    return true;
}

void stopListeningToCues(CueListener listener) {
    int kept = 0;
    for (int i = 0; i < listenerCount; ++i)
        if (listeners[i].listener != listener) listeners[kept++] = listeners[i];
    listenerCount = kept;
}

void tellCue(const Cue& cue) {
    for (int i = 0; i < listenerCount; ++i) listeners[i].listener(cue, listeners[i].data);
}
