// Text from an input method (ibus, fcitx5) reaches a text box as input-method events:
// a preedit while the user composes, then a commit, sometimes replacing text around
// the cursor. The committed text must pass the same key rules as typed keys.
#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QTest>

#include "store/Text.h"
#include "tests/support/FakePrompt.h"
#include "ui/FilteredLineEdit.h"

namespace tabulo {
namespace {

// The rule of the name boxes: no double quote (it ends a string in the files) and
// nothing Shift-JIS cannot hold.
bool NameKey(char32_t ch) { return ch != U'"' && IsCp932Text(EncodeUtf8(ch)); }
char32_t Upper(char32_t ch) { return ch >= U'a' && ch <= U'z' ? ch - U'a' + U'A' : ch; }

class FilteredLineEditIme : public ::testing::Test {
  protected:
    FilteredLineEditIme() : edit(prompt) {
        edit.SetKeyFilter(NameKey);
        edit.show();
        edit.activateWindow();
        edit.setFocus();
    }
    void Preedit(const QString& text) {
        QList<QInputMethodEvent::Attribute> attrs{
            {QInputMethodEvent::Cursor, static_cast<int>(text.size()), 1, QVariant()}};
        QInputMethodEvent ev(text, attrs);
        QApplication::sendEvent(&edit, &ev);
    }
    void Commit(const QString& text, int replaceFrom = 0, int replaceLength = 0) {
        QInputMethodEvent ev;
        ev.setCommitString(text, replaceFrom, replaceLength);
        QApplication::sendEvent(&edit, &ev);
    }
    testing::FakePrompt prompt;
    FilteredLineEdit edit;
};

TEST_F(FilteredLineEditIme, ComposedTextArrivesOnlyWhenCommitted) {
    edit.setText(QStringLiteral("A"));
    Preedit(QStringLiteral("かいけい"));
    EXPECT_EQ(edit.text(), QStringLiteral("A"));  // the preedit is no text of the box yet
    Preedit(QStringLiteral("会計"));
    Commit(QStringLiteral("会計"));
    EXPECT_EQ(edit.text(), QStringLiteral("A会計"));
    EXPECT_EQ(edit.cursorPosition(), 3);
    EXPECT_EQ(prompt.beeps, 0);
}

TEST_F(FilteredLineEditIme, ACommitWithARefusedCharacterInsertsNothingAndBeeps) {
    edit.setText(QStringLiteral("旅費"));
    // 𠮷 (U+20BB7) has no Shift-JIS form; a quote would end the name in MASTER.DAT.
    for (const QString& refused :
         {QStringLiteral("𠮷野家"), QStringLiteral("会\"計"), QStringLiteral("\U0001F697")}) {
        Preedit(refused);
        Commit(refused);
        EXPECT_EQ(edit.text(), QStringLiteral("旅費")) << refused.toStdString();
    }
    EXPECT_EQ(prompt.beeps, 3);
    // The box still takes the next good commit.
    Commit(QStringLiteral("交通費"));
    EXPECT_EQ(edit.text(), QStringLiteral("旅費交通費"));
}

TEST_F(FilteredLineEditIme,
       ACommitReplacingTextBeforeTheCursorKeepsTheReplacementOnlyWhenAccepted) {
    // fcitx5 corrects a character it committed before by replacing it with the new one.
    edit.setText(QStringLiteral("売あ"));
    Commit(QStringLiteral("上"), -1, 1);
    EXPECT_EQ(edit.text(), QStringLiteral("売上"));
    // A refused replacement deletes nothing either.
    Commit(QStringLiteral("\U0001F697"), -1, 1);
    EXPECT_EQ(edit.text(), QStringLiteral("売上"));
    EXPECT_EQ(prompt.beeps, 1);
}

TEST_F(FilteredLineEditIme, CommittedLettersAreTransformedLikeTypedOnes) {
    edit.SetKeyFilter(NameKey, Upper);
    Commit(QStringLiteral("jc商工会"));
    EXPECT_EQ(edit.text(), QStringLiteral("JC商工会"));
}

}  // namespace
}  // namespace tabulo
