// The one place where tests may replace a platform entry.
//
// Most failure paths are tested for real: a missing file, a folder without write permission, a
// crafted resource block. A few failures cannot be produced on demand (an allocation that runs
// out of memory, a shell request that fails); for those the backend calls through a Seam, and a
// test installs a replacement with ScopedOverride for as long as it runs:
//
//   ScopedOverride<BSTR(const OLECHAR*, UINT)> fail(seams::SysAllocStringLen,
//       [](const OLECHAR*, UINT) -> BSTR { return nullptr; });
//
// A Seam holds plain function pointers and is constant-initialised, so it works during static
// initialisation. Replacements are not synchronised: install them only while one thread runs.
#pragma once

namespace platform {

template <typename Signature>
class Seam;

template <typename Signature>
class ScopedOverride;

template <typename R, typename... Args>
class Seam<R(Args...)> {
 public:
  using Function = R (*)(Args...);

  constexpr explicit Seam(Function real) : real_(real) {}
  Seam(const Seam&) = delete;
  Seam& operator=(const Seam&) = delete;

  R operator()(Args... args) const { return (replacement_ ? replacement_ : real_)(args...); }
  // The backend's own implementation, for a replacement that wants to pass a call through.
  R Real(Args... args) const { return real_(args...); }

 private:
  friend class ScopedOverride<R(Args...)>;
  Function real_;
  Function replacement_ = nullptr;
};

// Installs a replacement for the lifetime of this object and restores the previous one after.
template <typename R, typename... Args>
class ScopedOverride<R(Args...)> {
 public:
  ScopedOverride(Seam<R(Args...)>& seam, R (*replacement)(Args...))
      : seam_(seam), previous_(seam.replacement_) {
    seam_.replacement_ = replacement;
  }
  ~ScopedOverride() { seam_.replacement_ = previous_; }
  ScopedOverride(const ScopedOverride&) = delete;
  ScopedOverride& operator=(const ScopedOverride&) = delete;

 private:
  Seam<R(Args...)>& seam_;
  R (*previous_)(Args...);
};

}  // namespace platform
