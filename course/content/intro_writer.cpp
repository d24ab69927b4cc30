#include "course/content/intro_writer.h"

#include <algorithm>

namespace {

void add(IntroWriter& writer, StepKind kind, uint8_t key = 0, int row = 0, int frames = 0,
         std::string text = {}) {
    writer.intro->push_back(IntroStep{kind, key, int16_t(row), int16_t(frames), std::move(text)});
}

// The rows a text takes: as many words as fit on each, a word longer than a row broken
// where the row ends.
std::vector<std::string> rowsOf(const std::string& text) {
    std::vector<std::string> rows;
    size_t at = 0;
    while (at < text.size()) {
        size_t length = std::min(text.size() - at, size_t(IntroWidth));
        if (at + length < text.size() && text[at + length] != ' ') {
            const size_t space = text.rfind(' ', at + length);
            if (space != std::string::npos && space > at) length = space - at;
        }
        rows.push_back(text.substr(at, length));
        at += length;
        while (at < text.size() && text[at] == ' ') ++at;
    }
    if (rows.empty()) rows.emplace_back();
    return rows;
}

}  // namespace

bool say(IntroWriter& writer, const std::string& text) {
    const std::vector<std::string> rows = rowsOf(text);
    if (writer.rowsUsed + int(rows.size()) > IntroRows) return false;
    for (const std::string& row : rows) {
        if (!row.empty()) add(writer, StepKind::Print, 0, IntroFirstRow + writer.rowsUsed, 0, row);
        writer.rowsUsed += 1;
    }
    return true;
}

void clear(IntroWriter& writer) {
    for (int row = 0; row < writer.rowsUsed; ++row)
        add(writer, StepKind::Clear, 0, IntroFirstRow + row);
    writer.rowsUsed = 0;
}

void light(IntroWriter& writer, uint8_t key, int line) {
    add(writer, StepKind::Light, key);
    if (writer.litAt[key] == 0) writer.litAt[key] = std::max(line, 1);
}

bool release(IntroWriter& writer, uint8_t key) {
    if (writer.litAt[key] == 0) return false;
    add(writer, StepKind::Release, key);
    writer.litAt[key] = 0;
    return true;
}

void wait(IntroWriter& writer) {
    add(writer, StepKind::Wait);
}

void pause(IntroWriter& writer, int frames) {
    add(writer, StepKind::Pause, 0, 0, std::clamp(frames, 0, LongestPause));
}

void sayReadyToStart(IntroWriter& writer) {
    say(writer, "When you're ready,");
    say(writer, "press any key to start ...");
    wait(writer);
    clear(writer);
    pause(writer, 60);
}
