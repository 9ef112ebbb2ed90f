#pragma once
// A vector whose copies share one buffer until one of them is changed (copy on write). The
// modifier stack copies its input mesh for every evaluation, while deformers change only the
// points: the faces of the copy then stay the input's, which on a mesh of millions of vertices is
// most of the copy.
//
// Reading never copies: begin, end, data and size are const only. Changing (a non-const
// operator[], Edit, push_back, resize, assignment) first takes a private buffer when the current
// one is shared. Copies on different threads are not synchronised beyond the reference count.

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <vector>

template <class T>
class SharedArray {
public:
  using value_type = T;
  using size_type = std::size_t;
  using const_iterator = typename std::vector<T>::const_iterator;

  SharedArray() = default;
  SharedArray(std::vector<T> values) : items_(Own(std::move(values))) {}
  SharedArray(std::initializer_list<T> values) : SharedArray(std::vector<T>(values)) {}
  SharedArray& operator=(std::vector<T> values) {
    items_ = Own(std::move(values));
    return *this;
  }
  SharedArray& operator=(std::initializer_list<T> values) { return *this = std::vector<T>(values); }

  std::size_t size() const { return items_ ? items_->size() : 0; }
  bool empty() const { return size() == 0; }
  const T& operator[](std::size_t i) const { return (*items_)[i]; }
  const T* data() const { return items_ ? items_->data() : nullptr; }
  const_iterator begin() const { return View().begin(); }
  const_iterator end() const { return View().end(); }
  const std::vector<T>& View() const { return items_ ? *items_ : Empty(); }

  // The values for changing, made private to this array first.
  std::vector<T>& Edit() {
    if (!items_) {
      items_ = std::make_shared<std::vector<T>>();
    } else if (items_.use_count() > 1) {
      items_ = std::make_shared<std::vector<T>>(*items_);
    }
    return *items_;
  }
  T& operator[](std::size_t i) { return Edit()[i]; }
  void push_back(const T& value) { Edit().push_back(value); }
  void resize(std::size_t n) { Edit().resize(n); }
  void reserve(std::size_t n) { Edit().reserve(n); }
  void clear() { items_.reset(); }

  // Whether the buffer is shared with another array (a copy not yet changed).
  bool SharesWith(const SharedArray& other) const { return items_ && items_ == other.items_; }

  friend bool operator==(const SharedArray& a, const SharedArray& b) { return a.View() == b.View(); }

private:
  static std::shared_ptr<std::vector<T>> Own(std::vector<T> values) {
    return std::make_shared<std::vector<T>>(std::move(values));
  }
  static const std::vector<T>& Empty() {
    static const std::vector<T> none;
    return none;
  }

  std::shared_ptr<std::vector<T>> items_;
};
