#pragma once
// The rows of a dataset in order: a gap buffer of owned pointers, so that
// rows inserted one after another at the cursor cost O(1) each however long
// the dataset is, while any row is still reached by index in O(1).

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

namespace toolkit {

template <class T>
class RecordList {
 public:
  RecordList() = default;
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;
  ~RecordList() { clear(); }

  std::size_t size() const { return buf_.size() - GapLength(); }
  bool empty() const { return size() == 0; }
  T* operator[](std::size_t i) const { return buf_[i < gapStart_ ? i : i + GapLength()]; }

  void reserve(std::size_t n) {
    if (n > size()) Regrow(n);
  }

  void insert(std::size_t i, std::unique_ptr<T> item) {
    if (GapLength() == 0) Regrow(std::max<std::size_t>(16, buf_.size() * 2));
    MoveGap(i);
    buf_[gapStart_++] = item.release();
  }
  void push_back(std::unique_ptr<T> item) { insert(size(), std::move(item)); }

  std::unique_ptr<T> release(std::size_t i) {
    MoveGap(i + 1);
    return std::unique_ptr<T>(buf_[--gapStart_]);
  }
  void erase(std::size_t i) { release(i); }

  void clear() {
    for (std::size_t i = 0; i < size(); ++i) delete (*this)[i];
    buf_.clear();
    gapStart_ = gapEnd_ = 0;
  }

  // Position of the item, or -1; a linear search.
  long index_of(const T* item) const {
    for (std::size_t i = 0; i < size(); ++i)
      if ((*this)[i] == item) return static_cast<long>(i);
    return -1;
  }

  // Hands every item over, in order, leaving the list empty.
  std::vector<std::unique_ptr<T>> take_all() {
    std::vector<std::unique_ptr<T>> out;
    out.reserve(size());
    for (std::size_t i = 0; i < size(); ++i) out.emplace_back((*this)[i]);
    buf_.clear();
    gapStart_ = gapEnd_ = 0;
    return out;
  }
  void assign(std::vector<std::unique_ptr<T>>&& items) {
    clear();
    buf_.reserve(items.size());
    for (auto& item : items) buf_.push_back(item.release());
    gapStart_ = gapEnd_ = buf_.size();
  }

  class iterator {
   public:
    iterator(const RecordList* list, std::size_t i) : list_(list), i_(i) {}
    T* operator*() const { return (*list_)[i_]; }
    iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator!=(const iterator& other) const { return i_ != other.i_; }

   private:
    const RecordList* list_;
    std::size_t i_;
  };
  iterator begin() const { return iterator(this, 0); }
  iterator end() const { return iterator(this, size()); }

 private:
  std::size_t GapLength() const { return gapEnd_ - gapStart_; }

  void MoveGap(std::size_t to) {
    if (to < gapStart_) {
      std::size_t n = gapStart_ - to;
      std::memmove(&buf_[gapEnd_ - n], &buf_[to], n * sizeof(T*));
      gapStart_ -= n;
      gapEnd_ -= n;
    } else if (to > gapStart_) {
      std::size_t n = to - gapStart_;
      std::memmove(&buf_[gapStart_], &buf_[gapEnd_], n * sizeof(T*));
      gapStart_ += n;
      gapEnd_ += n;
    }
  }

  void Regrow(std::size_t capacity) {
    std::vector<T*> grown(capacity, nullptr);
    std::size_t tail = buf_.size() - gapEnd_;
    std::copy(buf_.begin(), buf_.begin() + gapStart_, grown.begin());
    std::copy(buf_.begin() + gapEnd_, buf_.end(), grown.end() - tail);
    gapEnd_ = capacity - tail;
    buf_.swap(grown);
  }

  std::vector<T*> buf_;  // items before the gap, the gap, items after it
  std::size_t gapStart_ = 0;
  std::size_t gapEnd_ = 0;
};

}  // namespace toolkit
