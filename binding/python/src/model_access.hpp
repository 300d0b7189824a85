#pragma once

// Generated calls read and change models while holding Python's interpreter
// lock; long operations that only read a model (writing it to a file) run
// without that lock so that other Python threads go on. The two share this
// lock: a model writer takes it shared, every generated call exclusively, so a
// model is never changed while it is being written.

#include <shared_mutex>

namespace kaloimport_py {

std::shared_mutex& modelAccess();

}  // namespace kaloimport_py
