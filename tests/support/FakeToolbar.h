#pragma once
// The main window's nine toolbar buttons as plain flags.

#include <array>

#include "ui/AppContext.h"

namespace tabulo::testing {

class FakeToolbar : public Toolbar {
public:
    FakeToolbar() { enabled.fill(true); }
    void SetButtonEnabled(int index, bool on) override { enabled.at(index) = on; }
    bool IsButtonEnabled(int index) const override { return enabled.at(index); }
    std::array<bool, 9> enabled{};
};

}  // namespace tabulo::testing
