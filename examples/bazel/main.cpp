#include <cstdio>

#include "version.h"

int main() {
  std::printf("%u\n", static_cast<unsigned>(BUILD_NUMBER));
  return 0;
}
