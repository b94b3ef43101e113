// Knows nothing of the build number.
int Quiet() { return 0; }
