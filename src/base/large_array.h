#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace scenario {

// Memory for the build's few big arrays (the plan and its encoded bytes, up to
// 20 MB each for the longest line). A build is a fresh process, so every page
// of them is new to it, and touching a new page costs far more than filling
// it: an array of a megabyte or more is asked of the system in 2 MB pages
// where the system offers them, a few hundred faults instead of thousands.
// Smaller arrays come from the ordinary heap.
void* allocate_large(std::size_t bytes);
void release_large(void* memory, std::size_t bytes) noexcept;

// A standard allocator over allocate_large. Elements made without a value are
// left uninitialised rather than zeroed: an encoder that sizes its buffer and
// then fills every byte need not write it twice.
template <typename T>
struct LargeArrayAllocator {
  using value_type = T;

  LargeArrayAllocator() = default;
  template <typename U>
  LargeArrayAllocator(const LargeArrayAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(allocate_large(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { release_large(p, n * sizeof(T)); }

  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  template <typename U>
  bool operator==(const LargeArrayAllocator<U>&) const noexcept {
    return true;
  }
};

template <typename T>
using LargeArray = std::vector<T, LargeArrayAllocator<T>>;

}  // namespace scenario
