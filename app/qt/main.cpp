// TODO: the window is not built yet.
int main() { return 0; }
