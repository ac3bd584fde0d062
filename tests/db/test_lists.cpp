#include "db/IntIntList.h"
#include "db/IntList.h"
#include "db/IntStrList.h"

#include <gtest/gtest.h>

TEST(IntList, FindOnEmptyAndBeyondTheKeys) {
    TIntList list;
    int index = -1;
    EXPECT_FALSE(list.Find(5, index));
    EXPECT_EQ(index, 0);
    for (int v : {30, 10, 20})
        list.Add(v);
    list.Sort();
    EXPECT_TRUE(list.Find(20, index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Find(99, index));
    EXPECT_EQ(index, list.Count());
    EXPECT_FALSE(list.Find(15, index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Find(-4, index));
    EXPECT_EQ(index, 0);
}

TEST(IntList, GrowsInTheFixedSteps) {
    TIntList list;
    std::vector<int> capacities;
    for (int i = 0; i < 100; ++i) {
        list.Add(i);
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
}

TEST(IntList, SortNotifiesOnlyWhenItSorts) {
    TIntList list;
    int changing = 0;
    int changed = 0;
    list.Add(7);
    list.OnChanging = [&](TIntList&) { ++changing; };
    list.OnChange = [&](TIntList&) { ++changed; };
    list.Sort();
    EXPECT_EQ(changing + changed, 0);
    for (int v : {3, 9, 1, 7, 5})
        list.Add(v);
    EXPECT_EQ(changed, 5);
    list.Sort();
    EXPECT_EQ(changing, 6);
    EXPECT_EQ(changed, 6);
    EXPECT_EQ(std::vector<int>(list.begin(), list.end()), (std::vector<int>{1, 3, 5, 7, 7, 9}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(changed, 7);
    list.Clear(); // already empty: no notification
    EXPECT_EQ(changed, 7);
}

TEST(IntList, SortedListIgnoresOrAcceptsDuplicates) {
    TIntList list;
    list.SetSorted(true);
    for (int v : {5, 1, 9, 5})
        list.Add(v);
    EXPECT_EQ(std::vector<int>(list.begin(), list.end()), (std::vector<int>{1, 5, 9}));
    list.SetDuplicates(TDuplicates::Accept);
    EXPECT_EQ(list.Add(5), 1);
    EXPECT_EQ(std::vector<int>(list.begin(), list.end()), (std::vector<int>{1, 5, 5, 9}));
}

TEST(IntIntList, SortMovesKeyAndValueTogether) {
    TIntIntList list;
    const int keys[] = {50, 3, 17, 3000, -2, 8, 41, 17, 0, 99};
    for (int key : keys)
        list.Add(key, key * 10 + 1);
    list.Sort();
    ASSERT_EQ(list.Count(), 10);
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(list.Get(i).Value, list.Get(i).Key * 10 + 1);
        if (i > 0) {
            EXPECT_LE(list.Get(i - 1).Key, list.Get(i).Key);
        }
    }
    int index = 0;
    ASSERT_TRUE(list.Find(3000, index));
    EXPECT_EQ(list.Get(index).Value, 30001);
}

TEST(IntStrList, IndexOfIsExactAndGetKeepsTheTargetOutOfRange) {
    TIntStrList list;
    EXPECT_EQ(list.Add({"AC", "Acrisols"}), 0);
    EXPECT_EQ(list.Add({"FL", "Fluvisols"}), 1);
    list.Add({"AC", "again"});
    int index = -7;
    EXPECT_FALSE(list.IndexOf("ac", index));
    EXPECT_FALSE(list.IndexOf("AC ", index));
    EXPECT_EQ(index, -7);
    EXPECT_TRUE(list.IndexOf("AC", index));
    EXPECT_EQ(index, 0);

    TIntStrItem item{"keep", "me"};
    list.Get(-1, item);
    list.Get(list.Count(), item);
    EXPECT_EQ(item.Code, "keep");
    list.Get(1, item);
    EXPECT_EQ(item.Value, "Fluvisols");
}
