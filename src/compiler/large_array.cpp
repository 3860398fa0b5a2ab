#include "compiler/large_array.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace scenario {

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;  // 2 MB, the x86-64 and arm64 large page

bool is_large(std::size_t bytes) { return bytes >= kLargePage / 2; }

std::size_t whole_large_pages(std::size_t bytes) { return (bytes + kLargePage - 1) / kLargePage * kLargePage; }

}  // namespace

void* allocate_large(std::size_t bytes) {
  if (!is_large(bytes)) return ::operator new(bytes);
  const std::size_t rounded = whole_large_pages(bytes);
  void* memory = ::operator new(rounded, std::align_val_t{kLargePage});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Advice only: where large pages are off or none is free, the kernel falls
  // back to ordinary pages and nothing else changes.
  madvise(memory, rounded, MADV_HUGEPAGE);
#endif
  return memory;
}

void release_large(void* memory, std::size_t bytes) noexcept {
  if (memory == nullptr) return;
  if (!is_large(bytes)) {
    ::operator delete(memory);
    return;
  }
  ::operator delete(memory, std::align_val_t{kLargePage});
}

}  // namespace scenario
