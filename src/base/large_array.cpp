#include "base/large_array.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace scenario {

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;  // 2 MB, the x86-64 and arm64 large page

bool is_large(std::size_t bytes) { return bytes >= kLargePage / 2; }

// How a large array is laid out: the large pages it fills, plus its last part
// of a page, which takes a large page of its own when it would fill at least
// half of one and ordinary pages otherwise (at most 1 MB of them, so little
// is wasted either way).
struct LargeLayout {
  std::size_t allocated;  // bytes asked of the heap
  std::size_t advised;    // leading bytes to be held in large pages
};

LargeLayout layout_of(std::size_t bytes) {
  const std::size_t whole = bytes / kLargePage * kLargePage;
  if (bytes - whole >= kLargePage / 2) return {whole + kLargePage, whole + kLargePage};
  return {bytes, whole};
}

}  // namespace

void* allocate_large(std::size_t bytes) {
  if (!is_large(bytes)) return ::operator new(bytes);
  const LargeLayout layout = layout_of(bytes);
  void* memory = ::operator new (layout.allocated, std::align_val_t{kLargePage});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Advice only: where large pages are off or none is free, the kernel falls
  // back to ordinary pages and nothing else changes.
  madvise(memory, layout.advised, MADV_HUGEPAGE);
#endif
  return memory;
}

void release_large(void* memory, std::size_t bytes) noexcept {
  if (memory == nullptr) return;
  if (!is_large(bytes)) {
    ::operator delete(memory);
    return;
  }
  ::operator delete (memory, std::align_val_t{kLargePage});
}

}  // namespace scenario
