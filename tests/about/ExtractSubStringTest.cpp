#include "about/ExtractSubString.h"

#include <gtest/gtest.h>

namespace {

struct ItemCase {
    const char* szList;
    int nSub;
    bool bFound;
    const char* szItem;
};

TEST(ExtractSubString, TakesItemsAsTheFrameworkDoes) {
    const ItemCase aCases[] = {
        {"a,bc,d", 0, true, "a"}, {"a,bc,d", 1, true, "bc"},     {"a,bc,d", 2, true, "d"},
        {"a,bc,d", 3, false, ""}, {"a,bc,d", -1, false, ""},     {"a,,d", 1, true, ""},
        {"a,b,", 2, true, ""},    {"a,b,", 3, false, ""},        {"", 0, true, ""},
        {"", 1, false, ""},       {"single", 0, true, "single"},
    };
    for (const ItemCase& c : aCases) {
        std::string strItem = "stale";
        EXPECT_EQ(ExtractSubString(strItem, c.szList, c.nSub, ','), c.bFound)
            << c.szList << " #" << c.nSub;
        EXPECT_EQ(strItem, c.szItem) << c.szList << " #" << c.nSub;
    }
}

}  // namespace
