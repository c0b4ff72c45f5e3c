#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// What every harness asks of a message made from its input: no raw control character but the line end
// (the printable form shows them as \xNN), so nothing of a hostile file reaches the terminal as is.
inline void RequirePrintable(const std::string& message, const char* what) {
  for (char c : message) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7F) {
      std::fprintf(stderr, "%s holds the raw byte 0x%02X: %s\n", what, byte, message.c_str());
      std::abort();
    }
  }
}

#define FUZZ_REQUIRE(condition, ...)                                              \
  do {                                                                            \
    if (!(condition)) {                                                           \
      std::fprintf(stderr, "requirement failed: %s: ", #condition);               \
      std::fprintf(stderr, __VA_ARGS__);                                          \
      std::fprintf(stderr, "\n");                                                 \
      std::abort();                                                               \
    }                                                                             \
  } while (0)
