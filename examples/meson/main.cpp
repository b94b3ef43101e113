#include <cstdio>

// Generated in the build folder from build_number by every build.
#include "version.h"

int main() {
  std::printf("%u\n", static_cast<unsigned>(BUILD_NUMBER));
  return 0;
}
