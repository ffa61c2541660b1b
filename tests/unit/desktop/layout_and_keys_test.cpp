// Placing aligned children, and translating Qt key presses.
#include <gtest/gtest.h>

#include <QKeyEvent>

#include "desktop/AlignLayout.h"
#include "desktop/KeyMap.h"
#include "toolkit/controls/Container.h"
#include "toolkit/controls/Label.h"

namespace {

using desktop::Rect;
using toolkit::Align;

Rect Of(const std::vector<desktop::Placement>& placed, const toolkit::Control* c) {
  for (const auto& p : placed)
    if (p.control == c) return p.rect;
  ADD_FAILURE() << "not placed: " << c->Name();
  return {};
}

TEST(AlignLayout, EdgesInChildOrderThenTheClientFillsTheRest) {
  toolkit::Panel box;
  toolkit::Label top, bottom, right, client, free, hidden, top2;
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{&top, &client, &right, &bottom, &free, &hidden, &top2})
    c->SetParent(&box);
  top.SetBounds(0, 0, 10, 30);
  top.SetAlign(Align::alTop);
  client.SetAlign(Align::alClient);
  right.SetBounds(0, 0, 213, 5);
  right.SetAlign(Align::alRight);
  bottom.SetBounds(0, 0, 10, 25);
  bottom.SetAlign(Align::alBottom);
  free.SetBounds(7, 8, 9, 10);
  hidden.SetAlign(Align::alTop);
  hidden.SetHeight(50);
  hidden.SetVisible(false);
  top2.SetHeight(61);
  top2.SetAlign(Align::alTop);

  const auto placed = desktop::LayOut(box, 657, 384);
  EXPECT_EQ(placed.size(), 6u);  // the hidden one is left out
  EXPECT_EQ(Of(placed, &top), (Rect{0, 0, 657, 30}));
  // The right edge is taken before the bottom one, which then spans less.
  EXPECT_EQ(Of(placed, &right), (Rect{444, 30, 213, 354}));
  EXPECT_EQ(Of(placed, &bottom), (Rect{0, 359, 444, 25}));
  EXPECT_EQ(Of(placed, &top2), (Rect{0, 30, 444, 61}));
  EXPECT_EQ(Of(placed, &client), (Rect{0, 91, 444, 268}));
  EXPECT_EQ(Of(placed, &free), (Rect{7, 8, 9, 10}));
}

TEST(AlignLayout, EdgesNeverTakeMoreThanIsLeft) {
  toolkit::Panel box;
  toolkit::Label a, b, c;
  for (toolkit::Label* l : {&a, &b, &c}) {
    l->SetParent(&box);
    l->SetHeight(80);
    l->SetAlign(Align::alTop);
  }
  c.SetAlign(Align::alClient);
  const auto placed = desktop::LayOut(box, 100, 120);
  EXPECT_EQ(Of(placed, &a), (Rect{0, 0, 100, 80}));
  EXPECT_EQ(Of(placed, &b), (Rect{0, 80, 100, 40}));
  EXPECT_EQ(Of(placed, &c), (Rect{0, 120, 100, 0}));
}

TEST(KeyMap, PrintableTextTypesAndTheRestArePressed) {
  using Kind = desktop::KeyAction::Kind;
  auto a = desktop::Translate(Qt::Key_A, Qt::ShiftModifier, "A");
  EXPECT_EQ(a.kind, Kind::Text);
  EXPECT_EQ(a.text, "A");
  EXPECT_EQ(desktop::Translate(0, 0, "ã").text, "ã");
  auto alt = desktop::Translate(Qt::Key_PageDown, Qt::AltModifier, "");
  EXPECT_EQ(alt.kind, Kind::Key);
  EXPECT_EQ(alt.key, toolkit::VK_NEXT);
  EXPECT_EQ(alt.shift, toolkit::ssAlt);
  // Ctrl with a letter is a key, not text, whatever Qt puts in the text.
  auto ctrl = desktop::Translate(Qt::Key_Delete, Qt::ControlModifier, "\x7f");
  EXPECT_EQ(ctrl.kind, Kind::Key);
  EXPECT_EQ(ctrl.key, toolkit::VK_DELETE);
  EXPECT_EQ(ctrl.shift, toolkit::ssCtrl);
  EXPECT_EQ(desktop::Translate(Qt::Key_C, Qt::ControlModifier, "\x03").key, 'C');
  // Control characters Qt reports as text are keys.
  EXPECT_EQ(desktop::Translate(Qt::Key_Return, 0, "\r").key, toolkit::VK_RETURN);
  EXPECT_EQ(desktop::Translate(Qt::Key_Escape, 0, "\x1b").key, toolkit::VK_ESCAPE);
  EXPECT_EQ(desktop::Translate(Qt::Key_Backspace, 0, "\b").key, toolkit::VK_BACK);
  auto backtab = desktop::Translate(Qt::Key_Backtab, Qt::ShiftModifier, "");
  EXPECT_EQ(backtab.key, toolkit::VK_TAB);
  EXPECT_EQ(backtab.shift, toolkit::ssShift);
  EXPECT_EQ(desktop::Translate(Qt::Key_F9, 0, "").key, toolkit::VK_F9);
  EXPECT_EQ(desktop::Translate(Qt::Key_Shift, Qt::ShiftModifier, "").kind, Kind::None);
}

}  // namespace
