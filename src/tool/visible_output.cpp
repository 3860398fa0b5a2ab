#include "tool/visible_output.h"

#include <iostream>
#include <string>

#include "base/visible_text.h"

namespace scenario::tool {

namespace {

// A stream buffer that passes what it gets, control characters made visible,
// to another one.
class VisibleBuffer final : public std::streambuf {
 public:
  explicit VisibleBuffer(std::streambuf* target) : target_(target) {}
  ~VisibleBuffer() override { sync(); }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_.clear();
    filter_.put(traits_type::to_char_type(c), pending_);
    return pass() ? c : traits_type::eof();
  }

  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending_.clear();
    for (std::streamsize i = 0; i < count; ++i) filter_.put(text[i], pending_);
    return pass() ? count : 0;
  }

  int sync() override {
    pending_.clear();
    filter_.finish(pending_);
    if (!pass()) return -1;
    return target_->pubsync();
  }

 private:
  bool pass() {
    const auto size = static_cast<std::streamsize>(pending_.size());
    return target_->sputn(pending_.data(), size) == size;
  }

  std::streambuf* target_;
  VisibleTextFilter filter_;
  std::string pending_;
};

}  // namespace

VisibleOutput::VisibleOutput()
    : out_(std::make_unique<VisibleBuffer>(std::cout.rdbuf())),
      err_(std::make_unique<VisibleBuffer>(std::cerr.rdbuf())),
      original_out_(std::cout.rdbuf(out_.get())),
      original_err_(std::cerr.rdbuf(err_.get())) {}

VisibleOutput::~VisibleOutput() {
  std::cout.flush();
  std::cerr.flush();
  std::cout.rdbuf(original_out_);
  std::cerr.rdbuf(original_err_);
}

}  // namespace scenario::tool
