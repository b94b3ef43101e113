#include <cstdio>

#include "shared.h"

int main() { std::printf("%u\n", static_cast<unsigned>(SHARED_BUILD)); }
