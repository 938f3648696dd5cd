/* The C library's rand and srand, the same on every host: the additive feedback generator
   of the desktop's C library, so that one seed deals one board wherever the program runs. */
#include <stdint.h>
#include <stdlib.h>

static int32_t table[34];
static int front = 3, rear = 0;
static int seeded = 0;

void srand(unsigned seed) {
  int32_t word = seed ? (int32_t)seed : 1;
  table[0] = word;
  for (int i = 1; i < 31; ++i) {
    /* 16807 * word % 2147483647 without overflow */
    int32_t hi = word / 127773, lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    table[i] = word;
  }
  front = 3;
  rear = 0;
  seeded = 1;
  for (int i = 0; i < 310; ++i) rand();
}

int rand(void) {
  if (!seeded) srand(1);
  uint32_t value = (uint32_t)table[front] + (uint32_t)table[rear];
  table[front] = (int32_t)value;
  front = front + 1 == 31 ? 0 : front + 1;
  rear = rear + 1 == 31 ? 0 : rear + 1;
  return (int)(value >> 1);
}
