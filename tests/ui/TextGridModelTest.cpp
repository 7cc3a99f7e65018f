// The grid model of the long read-only lists: lazy rows are made only when a row is
// asked for, once each while it is kept, and filling the model again forgets them.
#include <gtest/gtest.h>

#include <QStringList>

#include "ui/TextGridModel.h"

namespace tabulo {
namespace {

TEST(TextGridModel, LazyRowsAreMadeOnlyWhenAskedForAndOnce) {
    TextGridModel model(2);
    std::vector<int> made;
    model.SetLazyRows(20000, [&made](int row) {
        made.push_back(row);
        return QStringList{QString::number(row), QStringLiteral("行%1").arg(row)};
    });
    EXPECT_EQ(model.rowCount(), 20000);
    EXPECT_TRUE(made.empty());
    EXPECT_EQ(model.Text(19999, 1), QStringLiteral("行19999"));
    EXPECT_EQ(model.data(model.index(3, 0)).toString(), QStringLiteral("3"));
    EXPECT_EQ(model.Text(19999, 0), QStringLiteral("19999"));
    EXPECT_EQ(made, (std::vector<int>{19999, 3}));
    EXPECT_EQ(model.Text(20000, 0), QString());  // beyond the rows: nothing made

    model.SetRows({{QStringLiteral("a"), QStringLiteral("b")}});
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.Text(0, 1), QStringLiteral("b"));
    EXPECT_EQ(made.size(), 2u);
    model.Clear();
    EXPECT_EQ(model.rowCount(), 0);
}

// A grid scrolled from end to end keeps the texts of a few screenfuls, not of every
// row: every row still reads right, and a row long scrolled past is made again.
TEST(TextGridModel, ALongGridScrolledThroughKeepsOnlyTheRowsMadeLately) {
    TextGridModel model(1);
    int made = 0;
    model.SetLazyRows(20000, [&made](int row) {
        ++made;
        return QStringList{QStringLiteral("行%1").arg(row)};
    });
    for (int row = 0; row < 20000; ++row) {
        ASSERT_EQ(model.Text(row, 0), QStringLiteral("行%1").arg(row));
        ASSERT_EQ(model.Text(row, 0), QStringLiteral("行%1").arg(row));  // kept: not made again
    }
    EXPECT_EQ(made, 20000);
    EXPECT_EQ(model.Text(0, 0), QStringLiteral("行0"));
    EXPECT_EQ(made, 20001);
    EXPECT_EQ(model.Text(19999, 0), QStringLiteral("行19999"));
    EXPECT_EQ(made, 20001);  // among the rows made lately
}

}  // namespace
}  // namespace tabulo
