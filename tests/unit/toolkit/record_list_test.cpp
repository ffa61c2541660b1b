// The gap buffer behind dataset rows, against a plain vector doing the same
// random inserts and removals.
#include <gtest/gtest.h>

#include <random>

#include "toolkit/data/RecordList.h"

namespace {

struct Item {
  int id;
  static inline int alive = 0;
  explicit Item(int i) : id(i) { ++alive; }
  ~Item() { --alive; }
};

std::vector<int> Ids(const toolkit::RecordList<Item>& list) {
  std::vector<int> out;
  for (Item* item : list) out.push_back(item->id);
  return out;
}

TEST(RecordListTest, RandomEditsMatchAVector) {
  {
    toolkit::RecordList<Item> list;
    std::vector<int> model;
    std::mt19937 rng(42);
    for (int step = 0; step < 20000; ++step) {
      int op = static_cast<int>(rng() % 10);
      if (op < 6 || model.empty()) {
        // Mostly near the last position, as inserts at a cursor are.
        std::size_t at = rng() % 3 == 0 ? rng() % (model.size() + 1) : model.size() / 2;
        list.insert(at, std::make_unique<Item>(step));
        model.insert(model.begin() + static_cast<long>(at), step);
      } else if (op < 9) {
        std::size_t at = rng() % model.size();
        auto taken = list.release(at);
        ASSERT_EQ(taken->id, model[at]);
        model.erase(model.begin() + static_cast<long>(at));
      } else {
        std::size_t at = rng() % model.size();
        ASSERT_EQ(list[at]->id, model[at]);
        ASSERT_EQ(list.index_of(list[at]), static_cast<long>(at));
      }
      ASSERT_EQ(list.size(), model.size());
    }
    EXPECT_EQ(Ids(list), model);
    EXPECT_EQ(Item::alive, static_cast<int>(model.size()));

    auto all = list.take_all();
    EXPECT_TRUE(list.empty());
    std::reverse(all.begin(), all.end());
    list.assign(std::move(all));
    std::reverse(model.begin(), model.end());
    EXPECT_EQ(Ids(list), model);
    list.push_back(std::make_unique<Item>(-1));
    EXPECT_EQ(list[list.size() - 1]->id, -1);
    EXPECT_EQ(list.index_of(nullptr), -1);
  }
  EXPECT_EQ(Item::alive, 0);  // the list deletes what it holds
}

}  // namespace
