// Cursor moves of DataSet.
#include "toolkit/data/DataSet.h"

namespace toolkit {

void DataSet::First() {
  CheckActive();
  CheckBrowseMode();
  Fire(BeforeScroll);
  int old = cursor_;
  cursor_ = ViewCount() > 0 ? 0 : -1;
  bof_ = true;
  eof_ = cursor_ < 0;
  Scrolled(old);
  Fire(AfterScroll);
}

void DataSet::Last() {
  CheckActive();
  CheckBrowseMode();
  Fire(BeforeScroll);
  int old = cursor_;
  cursor_ = ViewCount() - 1;
  eof_ = true;
  bof_ = cursor_ < 0;
  Scrolled(old);
  Fire(AfterScroll);
}

void DataSet::Next() { MoveBy(1); }

void DataSet::Prior() { MoveBy(-1); }

int DataSet::MoveBy(int distance) {
  CheckActive();
  CheckBrowseMode();
  Fire(BeforeScroll);
  int n = ViewCount();
  int old = cursor_;
  if (n == 0) {
    bof_ = eof_ = true;
    return 0;
  }
  long target = static_cast<long>(cursor_) + distance;
  bof_ = eof_ = false;
  if (target >= n) {
    target = n - 1;
    eof_ = true;
  } else if (target < 0) {
    target = 0;
    bof_ = true;
  }
  cursor_ = static_cast<int>(target);
  int moved = cursor_ - old;
  if (moved != 0) {
    Scrolled(old);
    Fire(AfterScroll);
  }
  return moved;
}

}  // namespace toolkit
