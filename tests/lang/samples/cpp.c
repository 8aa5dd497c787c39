#include <stdio.h>
#define COUNT 3
static const int values[COUNT] = {1, 2, 3};
int main(void) {
  for (int i = 0; i < COUNT; ++i) {
    if (values[i] > 1) printf("%d\n", values[i]);
    else continue;
  }
  return 0;
}
