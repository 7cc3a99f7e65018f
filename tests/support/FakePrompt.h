#pragma once
// A scripted stand-in for the message boxes: records every box shown and every beep,
// and answers with prepared replies (OK, or Yes for a question, when none is left).

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Prompt.h"

namespace tabulo::testing {

struct ShownBox {
    std::string text;
    int style = 0;
    std::string title;
};

class FakePrompt : public Prompt {
public:
    int MsgBox(std::string_view text, int style, std::string_view title) override {
        shown.push_back({std::string(text), style, std::string(title)});
        if (onShow) onShow(shown.back());
        if (!answers.empty()) {
            int a = answers.front();
            answers.pop_front();
            return a;
        }
        int buttons = style % 16;
        return (buttons == MsgStyle::YesNo || buttons == 3) ? Answer::Yes : Answer::Ok;
    }
    void Beep() override { ++beeps; }

    // Prepared answers, used in order.
    void Answer(int a) { answers.push_back(a); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& b : shown) t.push_back(b.text);
        return t;
    }
    std::string LastText() const { return shown.empty() ? std::string() : shown.back().text; }
    void Clear() {
        shown.clear();
        beeps = 0;
        answers.clear();
    }

    std::vector<ShownBox> shown;
    std::deque<int> answers;
    int beeps = 0;
    // Runs while the box is "open" (for example to check state at that moment).
    std::function<void(const ShownBox&)> onShow;
};

}  // namespace tabulo::testing
