#include <gtest/gtest.h>

#include "appserver/RangeRules.h"

namespace appserver {
namespace {

const std::vector<PaxRange> kStored{{10, 20}, {30, 40}};

TEST(CollisionCode, LowerBoundInsideAnotherRangeIsOne) {
  EXPECT_EQ(CollisionCode(kStored, {15, 25}), 1);
  EXPECT_EQ(CollisionCode(kStored, {20, 25}), 1);  // bounds are inclusive
  // Holding the lower bound outranks holding the upper bound of another.
  EXPECT_EQ(CollisionCode(kStored, {15, 35}), 1);
}

TEST(CollisionCode, UpperBoundInsideAnotherRangeIsTwo) {
  EXPECT_EQ(CollisionCode(kStored, {5, 12}), 2);
  EXPECT_EQ(CollisionCode(kStored, {25, 30}), 2);
}

TEST(CollisionCode, RangeSwallowingAnotherIsThree) { EXPECT_EQ(CollisionCode(kStored, {5, 25}), 3); }

TEST(CollisionCode, NoCollisionAndExactSameBoundsIgnored) {
  EXPECT_EQ(CollisionCode(kStored, {21, 29}), 0);
  EXPECT_EQ(CollisionCode(kStored, {10, 20}), 0);
  EXPECT_EQ(CollisionCode({}, {1, 9999}), 0);
  // Only the range with the very same bounds is left aside.
  EXPECT_EQ(CollisionCode({{10, 20}, {12, 14}}, {10, 20}), 3);
}

TEST(FindOverlap, FindsOverlapsInAnyOrder) {
  EXPECT_FALSE(FindOverlap({{51, 9999}, {1, 20}, {21, 50}}));
  const auto o = FindOverlap({{30, 40}, {1, 100}, {200, 300}});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->first.from, 1);
  EXPECT_EQ(o->second.from, 30);
  // A wide early range overlaps a later one past a short one in between.
  EXPECT_TRUE(FindOverlap({{1, 100}, {2, 3}, {50, 60}}));
  EXPECT_TRUE(FindOverlap({{1, 20}, {20, 30}}));
  EXPECT_TRUE(FindOverlap({{5, 5}, {5, 5}}));
}

TEST(BoundsProblem, AcceptsSoundBoundsAndNamesEachFault) {
  EXPECT_FALSE(BoundsProblem(1, 9999, 0));
  EXPECT_FALSE(BoundsProblem(10, 10, std::nullopt));
  EXPECT_EQ(*BoundsProblem(std::nullopt, 5, 1), "Quantidade mínima de passageiros deve ser informada.");
  EXPECT_EQ(*BoundsProblem(1, std::nullopt, 1), "Pax máximo deve ser informado.");
  EXPECT_NE(BoundsProblem(0, 5, 1)->find("pelo menos 1"), std::string::npos);
  EXPECT_EQ(*BoundsProblem(11, 10, 1), "A quantidade máxima de passageiros não pode ser menor que quantidade mínima.");
  EXPECT_NE(BoundsProblem(1, 10000, 1)->find("9999"), std::string::npos);
  EXPECT_NE(BoundsProblem(1, 5, -1)->find("negativa"), std::string::npos);
}

}  // namespace
}  // namespace appserver
