#include "books/Accounts.h"

#include <array>

#include "store/Text.h"

namespace tabulo {
namespace {

using enum AccountSide;

// Page 1 (損益計算書): the lines items feed, and the stock lines 2 and 5 that only the
// closing entries post to (期末商品棚卸高 lessens the cost of sales, so it stands with
// the credit side). Lines 4, 6, 7, 32, 33, 37 and 42–45 are sums, not accounts.
// Page 4 (貸借対照表): the named rows of the asset column, then of the liability and
// capital column; 事業主貸 stands last in the asset column.
constexpr Account kChart[] = {
    {1, "売上（収入）金額", Income},
    {2, "期首商品棚卸高", Expense},
    {3, "仕入金額", Expense},
    {5, "期末商品棚卸高", Income},
    {8, "租税公課", Expense},
    {9, "荷造運賃", Expense},
    {10, "水道光熱費", Expense},
    {11, "旅費交通費", Expense},
    {12, "通信費", Expense},
    {13, "広告宣伝費", Expense},
    {14, "接待交際費", Expense},
    {15, "損害保険料", Expense},
    {16, "修繕費", Expense},
    {17, "消耗品費", Expense},
    {18, "減価償却費", Expense},
    {19, "福利厚生費", Expense},
    {20, "給料賃金", Expense},
    {21, "外注工賃", Expense},
    {22, "利子割引料", Expense},
    {23, "地代家賃", Expense},
    {24, "貸倒金", Expense},
    {25, "", Expense},
    {26, "", Expense},
    {27, "", Expense},
    {28, "", Expense},
    {29, "", Expense},
    {30, "", Expense},
    {31, "雑費", Expense},
    {34, "貸倒引当金繰戻額", Income},
    {35, "", Income},
    {36, "", Income},
    {38, "専従者給与", Expense},
    {39, "貸倒引当金繰入額", Expense},
    {40, "", Expense},
    {41, "", Expense},
    {101, "現金", Asset},
    {102, "当座預金", Asset},
    {103, "定期預金", Asset},
    {104, "その他の預金", Asset},
    {105, "受取手形", Asset},
    {106, "売掛金", Asset},
    {107, "有価証券", Asset},
    {108, "棚卸資産", Asset},
    {109, "前払金", Asset},
    {110, "貸付金", Asset},
    {111, "建物", Asset},
    {112, "建物附属設備", Asset},
    {113, "機械装置", Asset},
    {114, "車両運搬具", Asset},
    {115, "工具器具備品", Asset},
    {116, "土地", Asset},
    {130, "事業主貸", Asset},
    {201, "支払手形", Liability},
    {202, "買掛金", Liability},
    {203, "借入金", Liability},
    {204, "未払金", Liability},
    {205, "前受金", Liability},
    {206, "預り金", Liability},
    {207, "貸倒引当金", Liability},
    {301, "事業主借", Capital},
    {302, "元入金", Capital},
    {AccountCode::Unassigned, "未設定科目", Asset},
};

// Code -> index into kChart, or -1.
constexpr std::array<short, AccountCode::Limit> BuildIndex() {
    std::array<short, AccountCode::Limit> index{};
    for (auto& i : index) i = -1;
    for (std::size_t i = 0; i < std::size(kChart); ++i)
        index[static_cast<std::size_t>(kChart[i].code)] = static_cast<short>(i);
    return index;
}
constexpr auto kIndex = BuildIndex();

}  // namespace

std::span<const Account> ChartOfAccounts() { return kChart; }

const Account* FindAccount(int code) {
    if (code < 0 || code >= AccountCode::Limit) return nullptr;
    const short i = kIndex[static_cast<std::size_t>(code)];
    return i < 0 ? nullptr : &kChart[i];
}

bool IsBalanceSheetAccount(int code) {
    return code > 100 && code != AccountCode::Unassigned && FindAccount(code) != nullptr;
}

bool SlipAccount(int code) {
    return FindAccount(code) != nullptr && code != AccountCode::Unassigned &&
           code != AccountCode::OpeningStock && code != AccountCode::ClosingStock;
}

bool DebitNormal(int code) {
    const Account* a = FindAccount(code);
    return a != nullptr && (a->side == Asset || a->side == Expense);
}

std::string AccountName(int code, const ItemTableArray& items) {
    const Account* a = FindAccount(code);
    if (a == nullptr) return "科目" + std::to_string(code);
    if (*a->name != '\0') return a->name;
    for (int i = 1; i <= kItemCount; ++i) {
        const ItemEntry& item = items[static_cast<std::size_t>(i)];
        if (item.ItemKubun3 == code) {
            std::string name = TrimRight(item.ItemName);
            if (!name.empty()) return name;
            break;
        }
    }
    return "科目" + std::to_string(code);
}

int ItemAccount(int itemNo, const ItemTableArray& items, const ItemAccountArray& chosen) {
    if (itemNo < 1 || itemNo > kItemCount) return 0;
    const int line = items[static_cast<std::size_t>(itemNo)].ItemKubun3;
    if (line >= 1 && line <= 45 && line != AccountCode::OpeningStock &&
        line != AccountCode::ClosingStock && FindAccount(line) != nullptr)
        return line;
    const int own = chosen[static_cast<std::size_t>(itemNo)];
    return IsBalanceSheetAccount(own) ? own : 0;
}

}  // namespace tabulo
