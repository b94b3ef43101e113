#define BUILD_NUMBER 1
