// A list of plain values that keeps its first N in place and goes to the heap
// only beyond them. A model has a face list per face and an influence list
// per vertex, nearly all of them short: held in place, they cost no
// allocation each to build, to move or to free.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>
#include <type_traits>

#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

template <typename T, std::uint32_t N>
class InlineList {
  static_assert(std::is_trivially_copyable_v<T>, "the list copies its values as bytes");

 public:
  using value_type = T;
  using iterator = T*;
  using const_iterator = const T*;
  using size_type = std::size_t;
  static constexpr std::uint32_t kInPlace = N;  // values held without the heap

  InlineList() : heap_(nullptr) {}
  InlineList(std::initializer_list<T> values) : heap_(nullptr) {
    reserve(values.size());
    for (const T& value : values) push_back(value);
  }
  InlineList(const InlineList& other) : heap_(nullptr) { *this = other; }
  InlineList(InlineList&& other) noexcept : heap_(nullptr) { Take(other); }
  InlineList& operator=(const InlineList& other) {
    if (this == &other) return *this;
    clear();
    reserve(other.size_);
    std::copy(other.begin(), other.end(), data());
    size_ = other.size_;
    return *this;
  }
  InlineList& operator=(InlineList&& other) noexcept {
    if (this == &other) return *this;
    Release();
    Take(other);
    return *this;
  }
  ~InlineList() { Release(); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return OnHeap() ? heap_ : inline_; }
  const T* data() const { return OnHeap() ? heap_ : inline_; }
  T* begin() { return data(); }
  T* end() { return data() + size_; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + size_; }
  T& operator[](std::size_t i) { return data()[i]; }
  const T& operator[](std::size_t i) const { return data()[i]; }
  T& back() { return data()[size_ - 1]; }
  const T& back() const { return data()[size_ - 1]; }

  void clear() { size_ = 0; }
  // By value: a value of this very list stays good while the list grows.
  void push_back(T value) {
    if (size_ == capacity_) Grow(static_cast<std::size_t>(capacity_) * 2);
    data()[size_++] = value;
  }
  void reserve(std::size_t capacity) {
    if (capacity > capacity_) Grow(capacity);
  }
  void resize(std::size_t size) {
    reserve(size);
    if (size > size_) std::fill(data() + size_, data() + size, T{});
    size_ = static_cast<std::uint32_t>(size);
  }

  friend bool operator==(const InlineList& a, const InlineList& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }
  friend bool operator!=(const InlineList& a, const InlineList& b) { return !(a == b); }

 private:
  bool OnHeap() const { return capacity_ > N; }

  void Grow(std::size_t capacity) {
    // Counts come from files: a list longer than 32 bits can count is refused
    // as memory that cannot be had.
    if (capacity > UINT32_MAX) throw std::bad_alloc();
    T* grown = static_cast<T*>(std::malloc(capacity * sizeof(T)));
    if (!grown) throw std::bad_alloc();
    std::memcpy(static_cast<void*>(grown), data(), size_ * sizeof(T));
    Release();
    heap_ = grown;
    capacity_ = static_cast<std::uint32_t>(capacity);
  }

  void Release() {
    if (OnHeap()) std::free(heap_);
    capacity_ = N;
  }

  // Takes `other`'s values, leaving it empty; this list holds nothing.
  void Take(InlineList& other) {
    size_ = other.size_;
    capacity_ = other.capacity_;
    std::memcpy(static_cast<void*>(this->inline_), other.inline_, sizeof inline_);  // the heap pointer, or the values
    other.size_ = 0;
    other.capacity_ = N;
  }

  // The values in place, or the heap's.
  union {
    T inline_[N];
    T* heap_;
  };
  std::uint32_t size_ = 0;
  std::uint32_t capacity_ = N;
};

XFILE_SHAPE_END
