// What the progress screen says aloud while speech is on: the page, then one figure at a time
// as Up and Down pick it.
#include "course/records/key_misses.h"
#include "course/screens/progress_screen.h"
#include "engine/display.h"
#include "engine/speech.h"

#include <cstdio>

namespace {

std::string timeText(int32_t seconds) {
    if (seconds < 0) return "none yet";
    std::string text;
    if (seconds >= 60)
        text = std::to_string(seconds / 60) + (seconds < 120 ? " minute " : " minutes ");
    return text + std::to_string(seconds % 60) + (seconds % 60 == 1 ? " second" : " seconds");
}

std::string percent(int32_t tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " percent";
}

}  // namespace

std::vector<std::string> progressFigureTexts(const ProgressScreen& screen) {
    const ProgressFigures& figures = screen.figures;
    if (figures.status == HistoryStatus::Unavailable)
        return {std::string("The history is unavailable: ") + figures.reason};
    if (figures.status == HistoryStatus::Empty)
        return {screen.allLessons ? "No runs kept yet." : "No runs kept yet for this page."};
    const std::string last = std::to_string(RecentRuns);
    std::vector<std::string> texts = {
        "Runs: " + std::to_string(figures.runCount),
        "Best words per minute: " + std::to_string(figures.bestWordsPerMinute),
        "Last " + last + " runs, words per minute: " + std::to_string(figures.recentWordsPerMinute),
        "Best accuracy: " + percent(figures.bestAccuracy),
        "Last " + last + " runs, accuracy: " + percent(figures.recentAccuracy),
    };
    if (!screen.allLessons)
        texts.insert(texts.begin(), "Best time: " + timeText(figures.bestSeconds));
    KeyMissRates rates;
    keyMissRates(figures, screen.keyboard, rates);
    int keys[3];
    const int named = weakestKeys(rates, 3, keys);
    std::string weak = named == 0 ? "No key missed in the last " + std::to_string(KeyRuns) + " runs"
                                  : "Weakest keys:";
    for (int i = 0; i < named; ++i) {
        char name[8];
        keyName(screen.keyboard, keys[i], name);
        weak += std::string(i > 0 ? ", " : " ") + name;
        const uint8_t instead = rates.typedInstead[keys[i]];
        if (instead == ' ')
            weak += " typed as space";
        else if (instead != 0)
            weak += std::string(" typed as ") + char(instead);
    }
    texts.push_back(weak);
    return texts;
}

void sayProgress(VideoState& video, const std::vector<std::string>& texts, const std::string& title,
                 int figure) {
    if (!video.speech.on || texts.empty()) return;
    Utterance utterance;
    startUtterance(utterance);
    if (figure < 0) {
        addText(utterance, "Progress: ");
        addLatin1(utterance, title.data(), title.size());
        addText(utterance, ". ");
        figure = 0;
    }
    const std::string& text = texts[size_t(figure) % texts.size()];
    addLatin1(utterance, text.data(), text.size());
    addText(utterance, ".");
    if (figure == 0 && texts.size() > 1)
        addText(utterance, " Up and Down read the figures, Left and Right change the page, C "
                           "saves them as a table, Tab goes back.");
    say(video, utterance);
}
