#include <cstdio>
int main() {
  std::puts("velmor: not built yet");
  return 1;
}
