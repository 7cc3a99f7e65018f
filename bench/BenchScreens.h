#pragma once
// What the screen benchmarks share: one QApplication on Qt's offscreen platform for
// the whole run, and a toolbar that is always there.

#include <QApplication>

#include "ui/AppContext.h"

namespace tabulo::bench {

class NoToolbar : public Toolbar {
  public:
    void SetButtonEnabled(int, bool) override {}
    bool IsButtonEnabled(int) const override { return true; }
};

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    static QApplication app(argc, argv);
    return app;
}

}  // namespace tabulo::bench
