// Text appended to a fixed field, for the routines that build a command
// line or format a message: what does not fit is left out, and noted.
#pragma once

namespace posix_layer {

class BoundedText {
 public:
  // Room for capacity - 1 characters and the terminator; capacity >= 1.
  BoundedText(char* field, int capacity)
      : start_(field), next_(field), last_(field + capacity - 1) {}

  // Runs once per character of every argument and message: inlined, it is
  // a compare and a store (a call each time, which -Os chooses otherwise,
  // costs more than the rest of the loop).
  [[gnu::always_inline]] void Put(char c) {
    if (next_ != last_) {
      *next_++ = c;
    } else {
      cut_ = true;
    }
  }
  void Put(const char* text) {
    while (*text != '\0') Put(*text++);
  }
  // Terminates the text; false when something was left out.
  bool Finish() {
    *next_ = '\0';
    return !cut_;
  }
  int length() const { return static_cast<int>(next_ - start_); }

 private:
  char* start_;
  char* next_;
  char* const last_;
  bool cut_ = false;
};

}  // namespace posix_layer
