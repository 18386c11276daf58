// A guard for classes that must exist once per process (the application, the
// game base, the launcher document). The instance pointer is how the rest of
// the program reaches the object.
#pragma once

#include "app/fatal.h"

namespace lv {

template <class T>
class Singleton {
 public:
  static T* instance() { return instance_; }

 protected:
  Singleton() {
    if (instance_) fatal_report(u"Singleton::Singleton()", u"Singleton is already instantiated");
    instance_ = static_cast<T*>(this);
  }
  ~Singleton() { instance_ = nullptr; }
  Singleton(const Singleton&) = delete;
  Singleton& operator=(const Singleton&) = delete;

 private:
  static inline T* instance_ = nullptr;
};

}  // namespace lv
