#include <cstdio>

#include "own.h"
#include "shared.h"

int main() {
  std::printf("%u %u\n", static_cast<unsigned>(SHARED_BUILD), static_cast<unsigned>(OWN_BUILD));
}
