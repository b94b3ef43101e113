#define BUILD_NUMBER 0
