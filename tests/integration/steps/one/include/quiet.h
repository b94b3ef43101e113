int Quiet();
