#include "runtime/runtime.h"

HANDLE OutputHandle = nullptr;
HANDLE ErrorHandle = nullptr;
