/* A tiny application over the installed library of real boards: it links,
 * loads libusb and answers. */
#include <mirbax.h>
#include <stdio.h>

int main(void) {
  const uint32_t mask = GetDevices();
  printf("real ok %u\n", (unsigned)(mask != 0));
  return ResolveDeviceIndex(32) == diNone ? 0 : 1;
}
