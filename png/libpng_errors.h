// libpng reports errors by calling back and then jumping to the setjmp of the
// current step. Every function below that holds a setjmp therefore keeps no
// object with a destructor and calls nothing that throws, and the callbacks
// only copy the text and jump: a longjmp over C++ frames with live objects
// would skip their destructors.
#pragma once

#include <png.h>

#include <cstdio>

namespace huesieve::png::detail {

struct ErrorText {
  char text[256] = "";
};

[[noreturn]] inline void OnError(png_structp png, png_const_charp message) {
  auto* error = static_cast<ErrorText*>(png_get_error_ptr(png));
  std::snprintf(error->text, sizeof error->text, "%s", message);
  png_longjmp(png, 1);
}

// Warnings (unknown chunks, a bad ancillary CRC) do not stop a file that
// decodes; the tools stay quiet about them.
inline void OnWarning(png_structp, png_const_charp) {}

}  // namespace huesieve::png::detail
